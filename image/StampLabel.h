#pragma once

#include <cstdint>

#include "image/EscapeAbort.h"
#include "image/Image.h"
#include "image/Image16.h"

// The 1-bit label bitmaps stamped onto captures, one per sensor family.
constexpr int kLabelToviRay = 5004;
constexpr int kLabel2000 = 5005;
constexpr int kLabel2000Plus = 5006;

// Inverts the target under the black (0) pixels of a 1-bit label placed at
// (x0, y0); positions outside the target are skipped. Stamping twice restores
// a greyscale or 16-bit picture. False when the label is not a valid 1-bit
// image, the target is not valid, or Escape aborted the 8-bit form.
bool StampLabel(CKIPImage& target, const CKIPImage& label, std::int32_t x0, std::int32_t y0,
                ProgressCallback progress = nullptr);
// Label row j controls stored row y0 + j of the 16-bit target.
bool StampLabel(CKIPImage16Bit& target, const CKIPImage& label, std::int32_t x0, std::int32_t y0,
                ProgressCallback progress = nullptr);
