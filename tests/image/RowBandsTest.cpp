#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "image/RowBands.h"
#include "platform/KeyboardAbort.h"

namespace {
std::vector<double> progressSeen;
void RecordProgress(double fraction) {
    progressSeen.push_back(fraction);
}
} // namespace

TEST(RowBands, EveryRowOnceWithProgressOnTheCallingThread) {
    const std::uint32_t height = 1000;
    std::vector<std::atomic<int>> visits(height);
    std::mutex mutex;
    std::set<std::thread::id> threads;
    const std::thread::id caller = std::this_thread::get_id();
    progressSeen.clear();
    EscapeAbort::ClearAbort(); // the operations clear the flag before their rows
    bool done = ForEachRowInBands(height, 16, RecordProgress, [&] {
        return [&](std::uint32_t y) {
            ++visits[y];
            std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        };
    });
    EXPECT_TRUE(done);
    for (const auto& count : visits)
        ASSERT_EQ(count.load(), 1);
    EXPECT_TRUE(threads.count(caller) == 1);
    ASSERT_FALSE(progressSeen.empty());
    for (std::size_t i = 1; i < progressSeen.size(); ++i)
        EXPECT_LE(progressSeen[i - 1], progressSeen[i]);
    EXPECT_LE(progressSeen.back(), 1.0);
    EXPECT_TRUE(ForEachRowInBands(0, 16, nullptr, [] { return [](std::uint32_t) {}; }));
}

TEST(RowBands, AbortAndFailuresStopTheRun) {
    platform::SetEscapeKeySource([] { return true; });
    std::atomic<std::uint32_t> rows{0};
    EXPECT_FALSE(
        ForEachRowInBands(1000, 16, nullptr, [&] { return [&](std::uint32_t) { ++rows; }; }));
    platform::SetEscapeKeySource(nullptr);
    EXPECT_LT(rows.load(), 1000u);

    // A worker that throws never escapes: the run reports failure.
    EXPECT_FALSE(ForEachRowInBands(1000, 16, nullptr, [] {
        return [](std::uint32_t y) {
            if (y == 999)
                throw std::runtime_error("row failed");
        };
    }));

    std::vector<int> filled(100, 0);
    ParallelFor(100, 10, [&](std::uint32_t i) { filled[i] = static_cast<int>(i); });
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(filled[static_cast<std::size_t>(i)], i);
    EXPECT_THROW(ParallelFor(100, 10,
                             [](std::uint32_t i) {
                                 if (i == 99)
                                     throw std::runtime_error("entry failed");
                             }),
                 std::runtime_error);
}
