#pragma once

#include <cstdint>
#include <memory>

#include "hardware/RawFrame.h"

// exposed - dark for every pixel, limited to 0 ... 65535; false (nothing
// changed) when a frame is empty or the geometries differ.
bool SubtractDark(RawFrame& exposed, const RawFrame& dark);
// Moves each line's first k pixels to the end of the line before and the rest
// k places left; the last k positions of the last line keep their values.
void CorrectOffset(RawFrame& frame, std::uint32_t k);
// Sets the triangles of size c in the four corners to colour; a cut that does
// not fit in half the frame is refused (false) and nothing changes.
bool CutCorners(RawFrame& frame, std::uint32_t c, std::uint16_t colour);
// A new frame without the margins; null (the frame untouched) when nothing
// would remain.
std::unique_ptr<RawFrame> Crop(const RawFrame& frame, std::uint32_t left, std::uint32_t right,
                               std::uint32_t top, std::uint32_t bottom);
