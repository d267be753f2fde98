#include <gtest/gtest.h>

#include <windows.h>

#include "platform/KeyboardAbort.h"

// Escape is taken off the thread's queue; other keys go back in their order.
TEST(KeyboardAbort, EscapeIsFoundAndOtherKeysStay) {
    MSG drain{};
    while (::PeekMessageA(&drain, nullptr, 0, 0, PM_REMOVE)) {
    }
    ::PostMessageA(nullptr, WM_KEYDOWN, 'A', 0);
    ::PostMessageA(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(nullptr, WM_KEYUP, 'B', 0);
    EXPECT_TRUE(platform::EscapeKeyPressed());
    MSG message{};
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('A'));
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('B'));
    EXPECT_FALSE(platform::EscapeKeyPressed());
}
