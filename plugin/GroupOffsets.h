#pragma once

#include <cstdint>

#include "plugin/SensorOptions.h"

// Where a sensor family's processing group lies in the record.
struct GroupOffsets {
    using O = SensorOptions::Offset;
    O medianOn, medianKind;
    O smoothingOn, smoothingCols, smoothingRows, smoothingFactor;
    O sharpeningOn, sharpeningCols, sharpeningRows, sharpeningFactor;
    O laplaceOn, laplaceCols, laplaceRows, laplaceFactor;
    O posteriorBrightness, posteriorContrast, anteriorBrightness, anteriorContrast;
    O posteriorGamma, anteriorGamma;
    O enhancementLevel;
    // The unused mask pair beside smoothing (2000 and 2000+ only).
    bool hasReservedMask;
    O reservedCols, reservedRows;
};

// Family 0 is the 2000 series, 2 the 2000+ series; any other the ToviRay series.
const GroupOffsets& OffsetsOfFamily(std::int32_t family);
