#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/EscapeAbort.h"
#include "image/Image.h"
#include "image/Image16.h"
#include "platform/GlobalMemory.h"

// Packed DIBs in movable global memory: a 40-byte header, an optional colour
// table or three masks, then the pixel rows.

// The 16-bit DIB: no table, rows of 2 x stride bytes padded to 4; null when invalid.
platform::GlobalHandle CreatePackedDIB(const CKIPImage16Bit& image);

// Imports a DIB of 1, 8, 16, 24 or 32 bits per pixel from size bytes at dib.
// Every part must lie inside those bytes; otherwise null and "Invalid image
// was specified". A top-down DIB (negative height) is turned upright.
std::unique_ptr<CKIPImage> ImageFromPackedDIB(const std::uint8_t* dib, std::size_t size);
std::unique_ptr<CKIPImage16Bit> Image16FromPackedDIB(const std::uint8_t* dib, std::size_t size);

// 16 to 8 bits through the table of the significant bits.
std::unique_ptr<CKIPImage> ConvertTo8Bit(const CKIPImage16Bit* image,
                                         ProgressCallback progress = nullptr);
// Position (from 1) of the highest bit set in any sample of the picture; 1 when none.
std::uint32_t SignificantBits(const CKIPImage16Bit& image);
