#include "tools/host/OptionFields.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kTextWidth = 64;

const OptionField kOptionFields[] = {
    {0, "Version", FieldKind::Int},
    {4, "MedianOn2000", FieldKind::Int},
    {8, "SmoothingOn2000", FieldKind::Int},
    {12, "SmoothingFactor2000", FieldKind::Int},
    {16, "Reserved16", FieldKind::Int},
    {20, "AutoOrient", FieldKind::Int},
    {24, "DeviceName", FieldKind::Text},
    {88, "DeviceId", FieldKind::Text},
    {152, "Reserved152", FieldKind::Int},
    {156, "FullResolution", FieldKind::Int},
    {160, "MedianKind2000", FieldKind::Int},
    {164, "PosteriorBrightness2000", FieldKind::Int},
    {168, "PosteriorContrast2000", FieldKind::Int},
    {172, "AnteriorBrightness2000", FieldKind::Int},
    {176, "AnteriorContrast2000", FieldKind::Int},
    {184, "PosteriorGamma2000", FieldKind::Double},
    {192, "AnteriorGamma2000", FieldKind::Double},
    {200, "CalibrationFactor", FieldKind::Double},
    {208, "Sensitivity2000", FieldKind::Int},
    {212, "Threshold2000", FieldKind::Int},
    {216, "IntegrationTime2000", FieldKind::Int},
    {220, "SensitivityToviRay", FieldKind::Int},
    {224, "ThresholdToviRay", FieldKind::Int},
    {228, "IntegrationTimeToviRay", FieldKind::Int},
    {232, "EnableLogging", FieldKind::Int},
    {236, "SmoothingMaskWidth2000", FieldKind::Int},
    {240, "ReservedMaskWidth2000", FieldKind::Int},
    {244, "SharpeningOn2000", FieldKind::Int},
    {248, "SharpeningMaskWidth2000", FieldKind::Int},
    {252, "SharpeningFactor2000", FieldKind::Int},
    {256, "LaplaceOn2000", FieldKind::Int},
    {260, "LaplaceMaskWidth2000", FieldKind::Int},
    {264, "LaplaceFactor2000", FieldKind::Int},
    {268, "PosteriorBrightnessToviRay", FieldKind::Int},
    {272, "PosteriorContrastToviRay", FieldKind::Int},
    {276, "AnteriorBrightnessToviRay", FieldKind::Int},
    {280, "AnteriorContrastToviRay", FieldKind::Int},
    {288, "PosteriorGammaToviRay", FieldKind::Double},
    {296, "AnteriorGammaToviRay", FieldKind::Double},
    {304, "ExtendedFlush2000", FieldKind::Int},
    {308, "MedianOnToviRay", FieldKind::Int},
    {312, "MedianKindToviRay", FieldKind::Int},
    {316, "SmoothingOnToviRay", FieldKind::Int},
    {320, "SmoothingFactorToviRay", FieldKind::Int},
    {324, "SmoothingMaskWidthToviRay", FieldKind::Int},
    {328, "SharpeningOnToviRay", FieldKind::Int},
    {332, "SharpeningFactorToviRay", FieldKind::Int},
    {336, "SharpeningMaskWidthToviRay", FieldKind::Int},
    {340, "LaplaceOnToviRay", FieldKind::Int},
    {344, "LaplaceFactorToviRay", FieldKind::Int},
    {348, "LaplaceMaskWidthToviRay", FieldKind::Int},
    {352, "PauseBetweenGroupCaptures", FieldKind::Int},
    {356, "SmoothingMaskHeight2000", FieldKind::Int},
    {360, "ReservedMaskHeight2000", FieldKind::Int},
    {364, "SharpeningMaskHeight2000", FieldKind::Int},
    {368, "LaplaceMaskHeight2000", FieldKind::Int},
    {372, "SmoothingMaskHeightToviRay", FieldKind::Int},
    {376, "SharpeningMaskHeightToviRay", FieldKind::Int},
    {380, "LaplaceMaskHeightToviRay", FieldKind::Int},
    {384, "PqeLevel2000", FieldKind::Int},
    {388, "PqeLevelToviRay", FieldKind::Int},
    {392, "MedianOn2000Plus", FieldKind::Int},
    {396, "SmoothingOn2000Plus", FieldKind::Int},
    {400, "SmoothingFactor2000Plus", FieldKind::Int},
    {404, "Reserved404", FieldKind::Int},
    {408, "MedianKind2000Plus", FieldKind::Int},
    {412, "PosteriorBrightness2000Plus", FieldKind::Int},
    {416, "PosteriorContrast2000Plus", FieldKind::Int},
    {420, "AnteriorBrightness2000Plus", FieldKind::Int},
    {424, "AnteriorContrast2000Plus", FieldKind::Int},
    {432, "PosteriorGamma2000Plus", FieldKind::Double},
    {440, "AnteriorGamma2000Plus", FieldKind::Double},
    {448, "SmoothingMaskWidth2000Plus", FieldKind::Int},
    {452, "ReservedMaskWidth2000Plus", FieldKind::Int},
    {456, "SharpeningOn2000Plus", FieldKind::Int},
    {460, "SharpeningMaskWidth2000Plus", FieldKind::Int},
    {464, "SharpeningFactor2000Plus", FieldKind::Int},
    {468, "LaplaceOn2000Plus", FieldKind::Int},
    {472, "LaplaceMaskWidth2000Plus", FieldKind::Int},
    {476, "LaplaceFactor2000Plus", FieldKind::Int},
    {480, "SmoothingMaskHeight2000Plus", FieldKind::Int},
    {484, "ReservedMaskHeight2000Plus", FieldKind::Int},
    {488, "SharpeningMaskHeight2000Plus", FieldKind::Int},
    {492, "LaplaceMaskHeight2000Plus", FieldKind::Int},
    {496, "PqeLevel2000Plus", FieldKind::Int},
    {500, "SensorId", FieldKind::Text},
};

} // namespace

std::string RecordText(const std::vector<std::uint8_t>& record, std::size_t offset,
                       std::size_t width) {
    if (record.size() < offset + width)
        return {};
    const char* begin = reinterpret_cast<const char*>(record.data() + offset);
    return std::string(begin, std::find(begin, begin + width, '\0'));
}

void PrintOptionRecord(const std::vector<std::uint8_t>& record) {
    for (const OptionField& field : kOptionFields) {
        const std::size_t width = field.kind == FieldKind::Text     ? kTextWidth
                                  : field.kind == FieldKind::Double ? 8
                                                                    : 4;
        if (record.size() < field.offset + width)
            break;
        const std::uint8_t* bytes = record.data() + field.offset;
        if (field.kind == FieldKind::Text) {
            std::printf("  %4zu %-28s \"%s\"\n", field.offset, field.name,
                        RecordText(record, field.offset, width).c_str());
        } else if (field.kind == FieldKind::Double) {
            double value;
            std::memcpy(&value, bytes, sizeof value);
            std::printf("  %4zu %-28s %g\n", field.offset, field.name, value);
        } else {
            std::int32_t value;
            std::memcpy(&value, bytes, sizeof value);
            std::printf("  %4zu %-28s %d%s\n", field.offset, field.name, value,
                        field.offset == 0 ? (value == 0x00010000 ? " (0x00010000)" : " (foreign)")
                                          : "");
        }
    }
}

const std::vector<DescriptionField>& DescriptionFields() {
    static const std::vector<DescriptionField> fields = {
        {4, 64, "SOP class UID"},  {68, 32, "modality"},      {100, 64, "manufacturer"},
        {164, 128, "institution"}, {420, 64, "software"},     {484, 64, "station"},
        {1152, 64, "body part"},   {1216, 64, "orientation"}, {1280, 32, "laterality"},
        {1312, 64, "region"},      {1376, 32, "region code"}};
    return fields;
}

std::string DescriptionText(const std::vector<std::uint8_t>& record,
                            const DescriptionField& field) {
    return RecordText(record, field.offset, field.width);
}
