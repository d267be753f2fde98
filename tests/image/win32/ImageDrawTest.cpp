#include <gtest/gtest.h>

#include <cstring>
#include <windows.h>

#include "image/Image.h"

// Draws a 2 x 2 image with one red pixel at the top left into a 32-bit section.
TEST(ImageDraw, DrawStretchDrawAndDrawDIBPaintTheScreenImage) {
    CKIPImage image;
    ASSERT_TRUE(image.Create(2, 2, 24));
    image.SetPixel(0, 0, 0xFF0000); // red in blue-green-red byte order
    HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP target = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(target, nullptr);
    HGDIOBJ previous = ::SelectObject(dc, target);
    auto pixel = [&](int x, int y) {
        ::GdiFlush();
        return static_cast<const std::uint32_t*>(bits)[y * 4 + x] & 0xFFFFFF;
    };
    EXPECT_TRUE(image.Draw(dc, 1, 1));
    EXPECT_EQ(pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(pixel(2, 1), 0xFFFFFFu);
    EXPECT_TRUE(image.StretchDraw(dc, {0, 0, 4, 4}, {0, 0, 2, 2}));
    EXPECT_EQ(pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(pixel(2, 2), 0xFFFFFFu);
    std::memset(bits, 0, 64);
    EXPECT_TRUE(image.DrawDIB(dc, {0, 0, 2, 2}, {0, 0, 2, 2}));
    EXPECT_EQ(pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(1, 1), 0xFFFFFFu);
    ::SelectObject(dc, previous);
    ::DeleteObject(target);
    ::DeleteDC(dc);
}
