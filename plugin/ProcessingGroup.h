#pragma once

#include <cstdint>

#include "plugin/SensorOptions.h"

// The image-processing settings of one sensor family, read from the record.
struct ProcessingGroup {
    bool medianOn = false;
    std::int32_t medianKind = 0; // 0: 3 x 3, 1: fast, 2: thorough 5 x 5
    bool smoothingOn = false;
    std::int32_t smoothingCols = 0, smoothingRows = 0, smoothingFactor = 0;
    bool sharpeningOn = false;
    std::int32_t sharpeningCols = 0, sharpeningRows = 0, sharpeningFactor = 0;
    bool laplaceOn = false;
    std::int32_t laplaceCols = 0, laplaceRows = 0, laplaceFactor = 0;
    std::int32_t posteriorBrightness = 0, posteriorContrast = 0;
    std::int32_t anteriorBrightness = 0, anteriorContrast = 0;
    double posteriorGamma = 1, anteriorGamma = 1;
    std::int32_t enhancementLevel = 0;
};

// Family 0 is the 2000 series, 2 the 2000+ series; any other the ToviRay series.
ProcessingGroup ReadProcessingGroup(const SensorOptions& options, std::int32_t family);
