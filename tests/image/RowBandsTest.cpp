#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "image/RowBands.h"
#include "platform/KeyboardAbort.h"
#include "platform/Thread.h"

namespace {
std::vector<double> progressSeen;
std::set<std::thread::id> progressThreads;
void RecordProgress(double fraction) {
    progressSeen.push_back(fraction);
    progressThreads.insert(std::this_thread::get_id());
}
} // namespace

TEST(RowBands, EveryRowOnceWithProgressOnTheCallingThread) {
    const std::uint32_t height = 1000;
    std::vector<std::atomic<int>> visits(height);
    const std::thread::id caller = std::this_thread::get_id();
    progressSeen.clear();
    progressThreads.clear();
    EscapeAbort::ClearAbort(); // the operations clear the flag before their rows
    bool done = ForEachRowInChunks(height, 16, RecordProgress,
                                   [&] { return [&](std::uint32_t y) { ++visits[y]; }; });
    EXPECT_TRUE(done);
    for (const auto& count : visits)
        ASSERT_EQ(count.load(), 1);
    EXPECT_EQ(progressThreads, std::set<std::thread::id>{caller});
    ASSERT_FALSE(progressSeen.empty());
    for (std::size_t i = 1; i < progressSeen.size(); ++i)
        EXPECT_LE(progressSeen[i - 1], progressSeen[i]);
    EXPECT_LE(progressSeen.back(), 1.0);
    // No rows: nothing runs and no progress is reported (it would be 0 / 0).
    const std::size_t reports = progressSeen.size();
    EXPECT_TRUE(ForEachRowInChunks(0, 16, RecordProgress, [] { return [](std::uint32_t) {}; }));
    EXPECT_TRUE(ForEachRowInTwoPasses(
        0, 16, RecordProgress, [](std::uint32_t) {}, [] { FAIL() << "between without rows"; },
        [](std::uint32_t) {}));
    EXPECT_EQ(progressSeen.size(), reports);
}

TEST(RowBands, AbortAndFailuresStopTheRun) {
    platform::SetEscapeKeySource([] { return true; });
    std::atomic<std::uint32_t> rows{0};
    EXPECT_FALSE(
        ForEachRowInChunks(1000, 16, nullptr, [&] { return [&](std::uint32_t) { ++rows; }; }));
    platform::SetEscapeKeySource(nullptr);
    EXPECT_LT(rows.load(), 1000u);

    // A worker that throws never escapes: the run reports failure.
    EXPECT_FALSE(ForEachRowInChunks(1000, 16, nullptr, [] {
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

TEST(RowBands, TwoPassesSeeEveryFirstPassRowBeforeTheSecond) {
    const std::uint32_t height = 900;
    std::vector<std::atomic<int>> first(height), second(height);
    std::atomic<bool> secondBeforeFirst{false};
    int betweens = 0;
    progressSeen.clear();
    EscapeAbort::ClearAbort();
    bool done = ForEachRowInTwoPasses(
        height, 16, RecordProgress, [&](std::uint32_t y) { ++first[y]; },
        [&] {
            ++betweens;
            for (const auto& count : first)
                if (count != 1)
                    secondBeforeFirst = true;
        },
        [&](std::uint32_t y) { ++second[y]; });
    EXPECT_TRUE(done);
    EXPECT_EQ(betweens, 1);
    EXPECT_FALSE(secondBeforeFirst);
    for (std::uint32_t y = 0; y < height; ++y)
        ASSERT_EQ(second[y].load(), 1);
    ASSERT_FALSE(progressSeen.empty());
    EXPECT_LE(progressSeen.front(), 0.5);
    EXPECT_GT(progressSeen.back(), 0.5);
    EXPECT_LE(progressSeen.back(), 1.0);

    // An abort in the first pass skips what follows; a throwing row fails the run.
    platform::SetEscapeKeySource([] { return true; });
    EXPECT_FALSE(ForEachRowInTwoPasses(
        height, 16, nullptr, [](std::uint32_t) {}, [&] { ++betweens; },
        [&](std::uint32_t y) { ++second[y]; }));
    platform::SetEscapeKeySource(nullptr);
    EXPECT_EQ(betweens, 1);
    EXPECT_EQ(second[height - 1].load(), 1);
    EXPECT_FALSE(ForEachRowInTwoPasses(
        height, 16, nullptr, [](std::uint32_t) {}, [] {},
        [](std::uint32_t y) {
            if (y == height - 1)
                throw std::runtime_error("row failed");
        }));
}

TEST(RowBands, ALimitOfOneThreadKeepsEveryRowOnTheCaller) {
    EscapeAbort::ClearAbort();
    row_bands::LimitThreads(1);
    std::set<std::thread::id> threads;
    std::mutex guard;
    const bool done = ForEachRowInChunks(400, 1, nullptr, [&] {
        return [&](std::uint32_t) {
            std::lock_guard<std::mutex> lock(guard);
            threads.insert(std::this_thread::get_id());
        };
    });
    row_bands::LimitThreads(0);
    EXPECT_TRUE(done);
    EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

// A helper below its waiting caller's priority would starve on a busy machine.
TEST(RowBands, HelpersRunAtTheirCallersPriority) {
    const int before = platform::CurrentThreadPriority();
    platform::SetCurrentThreadPriority(2); // above normal, where the platform has priorities
    const int caller = platform::CurrentThreadPriority();
    std::vector<int> seen(64, -100);
    ParallelFor(64, 1, [&](std::uint32_t i) { seen[i] = platform::CurrentThreadPriority(); });
    platform::SetCurrentThreadPriority(before);
    for (int priority : seen)
        EXPECT_EQ(priority, caller);
}

// A helper the scheduler holds back must not hold the rows up: once the helper
// is in its first row, that row waits while the caller takes every other chunk.
// With fixed bands the caller would stop at its own half, and the helper would
// wait out its bound.
TEST(RowBands, AHeldBackHelperLeavesTheRestToTheCaller) {
    if (row_bands::ThreadCount() < 2)
        GTEST_SKIP() << "one core";
    row_bands::LimitThreads(2);
    const std::uint32_t height = 1000;
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex guard;
    std::condition_variable changed;
    bool helperHeld = false;
    std::uint32_t byCaller = 0;
    bool callerDidNearlyAll = false;
    auto nearlyAll = [&] { return byCaller >= height * 7 / 8; };
    EscapeAbort::ClearAbort();
    const bool done = ForEachRowInChunks(height, 16, nullptr, [&] {
        return [&, onCaller = std::this_thread::get_id() == caller](std::uint32_t) {
            std::unique_lock<std::mutex> lock(guard);
            if (onCaller) {
                changed.wait_for(lock, std::chrono::seconds(20), [&] { return helperHeld; });
                ++byCaller;
                changed.notify_all();
            } else if (!helperHeld) {
                helperHeld = true;
                changed.notify_all();
                callerDidNearlyAll = changed.wait_for(lock, std::chrono::seconds(20), nearlyAll);
            }
        };
    });
    row_bands::LimitThreads(0);
    EXPECT_TRUE(done);
    EXPECT_TRUE(callerDidNearlyAll);
}
