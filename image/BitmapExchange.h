#pragma once

#include <memory>

#include "image/Image16.h"
#include "platform/Bitmap16.h"

// A 16-bit DIB section of a valid image, owned by the caller; null on failure.
platform::BitmapHandle CreateDIBSection16(const CKIPImage16Bit& image);
// A 16-bit image of a 16-bit bitmap, at 1 x 1 dots per inch.
std::unique_ptr<CKIPImage16Bit> Image16FromBitmap(platform::BitmapHandle bitmap);
