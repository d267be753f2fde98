#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/WindowSystem.h"

namespace {

struct Received {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::string data;
    bool operator==(const Received&) const = default;
};

std::vector<Received>& Log() {
    static std::vector<Received> received;
    return received;
}

constexpr std::uint32_t kTextMessage = 0x8123; // WM_APP range: carries a text

platform::MessageResult Record(platform::WindowHandle window, std::uint32_t message,
                               std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == kTextMessage)
        Log().push_back({message, wParam, reinterpret_cast<const char*>(lParam)});
    else if (message >= 0x8000 && message < 0xC000)
        Log().push_back({message, wParam, std::to_string(lParam)});
    return platform::CurrentWindowSystem()->DefaultProcedure(window, message, wParam, lParam);
}

std::vector<std::uint8_t> Text(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log().clear();
        ASSERT_EQ(windows->RegisterWindowClass(kClass, Record), 0u);
        std::uint32_t error = 0;
        window = windows->CreateHiddenWindow(kClass, error);
        ASSERT_NE(window, 0u) << error;
    }
    void TearDown() override {
        windows->DestroyHiddenWindow(window);
        windows->UnregisterWindowClass(kClass);
    }

    const char* const kClass = "ToviTestWnd";
    std::shared_ptr<platform::WindowSystem> windows = platform::CurrentWindowSystem();
    platform::WindowHandle window = 0;
};

TEST_F(WindowSystemTest, MessagesReachTheProcedureOnlyWhenTheOwningThreadDispatches) {
    std::thread poster([&] {
        EXPECT_TRUE(windows->PostData(window, kTextMessage, 7, Text("from the worker")));
        EXPECT_TRUE(windows->Post(window, 0x8124, 1, 42));
        windows->DispatchPending(); // not this thread's window
    });
    poster.join();
    EXPECT_TRUE(Log().empty());
    windows->DispatchPending();
    EXPECT_EQ(Log(),
              (std::vector<Received>{{kTextMessage, 7, "from the worker"}, {0x8124, 1, "42"}}));
}

TEST_F(WindowSystemTest, ADestroyedWindowLosesItsMessages) {
    EXPECT_TRUE(windows->PostData(window, kTextMessage, 0, Text("never read")));
    EXPECT_TRUE(windows->DestroyHiddenWindow(window));
    windows->DispatchPending();
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(windows->PostData(window, kTextMessage, 0, Text("too late")));
    EXPECT_FALSE(windows->Post(window, 0x8124, 0, 0));
}

struct TimerTarget {
    std::shared_ptr<platform::WindowSystem> windows;
    platform::WindowHandle window = 0;
    int fired = 0;
};

void OnTimer(void* context) {
    auto* target = static_cast<TimerTarget*>(context);
    ++target->fired;
    target->windows->Post(target->window, 0x8125, static_cast<std::uintptr_t>(target->fired), 0);
}

// Dispatches until the timer has fired (a few milliseconds of a 1 ms timer).
bool DispatchUntilFired(platform::WindowSystem& windows, const TimerTarget& target, int count) {
    for (int round = 0; round < 2000 && target.fired < count; ++round) {
        windows.DispatchPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return target.fired >= count;
}

TEST_F(WindowSystemTest, ATimerCallsBackOnTheWindowsThreadUntilStopped) {
    TimerTarget target{windows, window};
    std::thread stranger(
        [&] { EXPECT_FALSE(windows->StartTimer(window, 7, 1, &OnTimer, &target)); });
    stranger.join();
    ASSERT_TRUE(windows->StartTimer(window, 7, 1, &OnTimer, &target));
    ASSERT_TRUE(DispatchUntilFired(*windows, target, 1));
    windows->DispatchPending();
    ASSERT_GE(Log().size(), 1u);
    EXPECT_EQ(Log()[0], (Received{0x8125, 1, "0"})); // what the timer posted was dispatched

    windows->StopTimer(window, 7);
    const int fired = target.fired;
    for (int round = 0; round < 10; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        windows->DispatchPending();
    }
    EXPECT_EQ(target.fired, fired);
}

TEST_F(WindowSystemTest, ClassesFollowTheSystemsRules) {
    EXPECT_EQ(windows->RegisterWindowClass("toviTESTwnd", Record), 1410u);
    EXPECT_FALSE(windows->UnregisterWindowClass(kClass)); // a window of it still exists
    std::uint32_t error = 0;
    EXPECT_EQ(windows->CreateHiddenWindow("ToviNoSuchWnd", error), 0u);
    // ERROR_CANNOT_FIND_WND_CLASS on Windows; Wine answers ERROR_CLASS_DOES_NOT_EXIST.
    EXPECT_TRUE(error == 1407u || error == 1411u) << error;
}

} // namespace
