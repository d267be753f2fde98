#include "plugin/ProcessingGroup.h"

#include "plugin/GroupOffsets.h"

ProcessingGroup ReadProcessingGroup(const SensorOptions& options, std::int32_t family) {
    const GroupOffsets& at = OffsetsOfFamily(family);
    ProcessingGroup group;
    group.medianOn = options.Int(at.medianOn) != 0;
    group.medianKind = options.Int(at.medianKind);
    group.smoothingOn = options.Int(at.smoothingOn) != 0;
    group.smoothingCols = options.Int(at.smoothingCols);
    group.smoothingRows = options.Int(at.smoothingRows);
    group.smoothingFactor = options.Int(at.smoothingFactor);
    group.sharpeningOn = options.Int(at.sharpeningOn) != 0;
    group.sharpeningCols = options.Int(at.sharpeningCols);
    group.sharpeningRows = options.Int(at.sharpeningRows);
    group.sharpeningFactor = options.Int(at.sharpeningFactor);
    group.laplaceOn = options.Int(at.laplaceOn) != 0;
    group.laplaceCols = options.Int(at.laplaceCols);
    group.laplaceRows = options.Int(at.laplaceRows);
    group.laplaceFactor = options.Int(at.laplaceFactor);
    group.posteriorBrightness = options.Int(at.posteriorBrightness);
    group.posteriorContrast = options.Int(at.posteriorContrast);
    group.anteriorBrightness = options.Int(at.anteriorBrightness);
    group.anteriorContrast = options.Int(at.anteriorContrast);
    group.posteriorGamma = options.Double(at.posteriorGamma);
    group.anteriorGamma = options.Double(at.anteriorGamma);
    group.enhancementLevel = options.Int(at.enhancementLevel);
    return group;
}
