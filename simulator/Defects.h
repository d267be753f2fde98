#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simulator {

// A sensor defect in the flaw map's coordinates of the full-resolution frame:
// columns from the left, rows from the last stored line up.
struct Defect {
    enum class Kind { Pixel, Column, Row };
    Kind kind = Kind::Pixel;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};

// The defects every simulated sensor has unless a test says otherwise: a few
// pixels, one column and one row, at even coordinates so that a 2 x 2 binned
// read-out shows them where the halved map looks.
std::vector<Defect> StandardDefects();

// The sensor's defect description: lines of "x y kind", rows counted from one
// above the frame.
std::string DefectText(const std::vector<Defect>& defects);

} // namespace simulator
