#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The 1280-byte option and configuration record the host stores for us.
class SensorOptions {
public:
    static constexpr std::size_t kSize = 1280;
    static constexpr std::int32_t kVersion = 0x00010000;
    static constexpr std::size_t kTextField = 64;

    enum Offset : std::size_t {
        Version = 0,
        MedianOn2000 = 4,
        SmoothingOn2000 = 8,
        SmoothingFactor2000 = 12,
        Reserved16 = 16,
        AutoOrient = 20,
        DeviceName = 24,
        DeviceId = 88,
        Reserved152 = 152,
        FullResolution = 156,
        MedianKind2000 = 160,
        PosteriorBrightness2000 = 164,
        PosteriorContrast2000 = 168,
        AnteriorBrightness2000 = 172,
        AnteriorContrast2000 = 176,
        PosteriorGamma2000 = 184,
        AnteriorGamma2000 = 192,
        CalibrationFactor = 200,
        Sensitivity2000 = 208,
        Threshold2000 = 212,
        IntegrationTime2000 = 216,
        SensitivityToviRay = 220,
        ThresholdToviRay = 224,
        IntegrationTimeToviRay = 228,
        EnableLogging = 232,
        SmoothingMaskWidth2000 = 236,
        ReservedMaskWidth2000 = 240,
        SharpeningOn2000 = 244,
        SharpeningMaskWidth2000 = 248,
        SharpeningFactor2000 = 252,
        LaplaceOn2000 = 256,
        LaplaceMaskWidth2000 = 260,
        LaplaceFactor2000 = 264,
        PosteriorBrightnessToviRay = 268,
        PosteriorContrastToviRay = 272,
        AnteriorBrightnessToviRay = 276,
        AnteriorContrastToviRay = 280,
        PosteriorGammaToviRay = 288,
        AnteriorGammaToviRay = 296,
        ExtendedFlush2000 = 304,
        MedianOnToviRay = 308,
        MedianKindToviRay = 312,
        SmoothingOnToviRay = 316,
        SmoothingFactorToviRay = 320,
        SmoothingMaskWidthToviRay = 324,
        SharpeningOnToviRay = 328,
        SharpeningFactorToviRay = 332,
        SharpeningMaskWidthToviRay = 336,
        LaplaceOnToviRay = 340,
        LaplaceFactorToviRay = 344,
        LaplaceMaskWidthToviRay = 348,
        PauseBetweenGroupCaptures = 352,
        SmoothingMaskHeight2000 = 356,
        ReservedMaskHeight2000 = 360,
        SharpeningMaskHeight2000 = 364,
        LaplaceMaskHeight2000 = 368,
        SmoothingMaskHeightToviRay = 372,
        SharpeningMaskHeightToviRay = 376,
        LaplaceMaskHeightToviRay = 380,
        PqeLevel2000 = 384,
        PqeLevelToviRay = 388,
        MedianOn2000Plus = 392,
        SmoothingOn2000Plus = 396,
        SmoothingFactor2000Plus = 400,
        Reserved404 = 404,
        MedianKind2000Plus = 408,
        PosteriorBrightness2000Plus = 412,
        PosteriorContrast2000Plus = 416,
        AnteriorBrightness2000Plus = 420,
        AnteriorContrast2000Plus = 424,
        PosteriorGamma2000Plus = 432,
        AnteriorGamma2000Plus = 440,
        SmoothingMaskWidth2000Plus = 448,
        ReservedMaskWidth2000Plus = 452,
        SharpeningOn2000Plus = 456,
        SharpeningMaskWidth2000Plus = 460,
        SharpeningFactor2000Plus = 464,
        LaplaceOn2000Plus = 468,
        LaplaceMaskWidth2000Plus = 472,
        LaplaceFactor2000Plus = 476,
        SmoothingMaskHeight2000Plus = 480,
        ReservedMaskHeight2000Plus = 484,
        SharpeningMaskHeight2000Plus = 488,
        LaplaceMaskHeight2000Plus = 492,
        PqeLevel2000Plus = 496,
        SensorId = 500,
    };

    SensorOptions() { SetDefaults(); }

    void SetDefaults();
    // Takes the host's record: ignored unless it is non-empty and carries the version word.
    bool Assign(const void* source, unsigned size);
    void Repair();

    std::int32_t Int(Offset offset) const;
    void SetInt(Offset offset, std::int32_t value);
    double Double(Offset offset) const;
    void SetDouble(Offset offset, double value);
    std::string Text(Offset offset) const;
    // Stores at most 63 characters, zero-terminated and zero-padded.
    void SetText(Offset offset, const std::string& value);

    const std::array<std::uint8_t, kSize>& Bytes() const { return bytes_; }

private:
    std::array<std::uint8_t, kSize> bytes_{};
};
