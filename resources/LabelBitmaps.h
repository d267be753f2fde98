#pragma once

#include <cstddef>

// The label bitmaps stamped onto captures, as packed DIBs, for builds without
// Windows resources.
struct LabelBitmap {
    int id;
    const unsigned char* dib;
    std::size_t size;
};

extern const LabelBitmap kLabelBitmaps[];
extern const unsigned kLabelBitmapCount;
