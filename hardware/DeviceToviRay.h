#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hardware/Codec.h"
#include "hardware/Device2000.h"
#include "hardware/FpnCorrection.h"

// The ToviRay sensor: the 2000 series' commands and capture with a 16 KB
// memory of packed records, two sizes, and the column fixed-pattern-noise
// correction, seam ramp and 16-bit samples of its images.
class DeviceTOVIRAY : public Device2000 {
public:
    static constexpr std::size_t kToviRayMemorySize = 16416;
    static constexpr std::size_t kRecordAreaOffset = 32;
    static constexpr std::size_t kRecordAreaSize = 16384;

    using Device2000::Device2000;

    std::string GetProperty(const std::string& name) override;
    std::int32_t SetProperty(const std::string& name, const std::string& value) override;
    std::int32_t ProcessingFamily() override { return 1; }
    std::uint8_t* GetMemoryBuffer() override;
    std::int32_t Init() override;
    std::int32_t CheckMemoryPresent(std::uint8_t& present) override;
    std::int32_t SetSensorSize(std::int32_t sizeClass) override;
    std::int32_t ParseDefectDataAddress() override;
    std::int32_t GetSettingsFrom1WireMemory() override;
    std::int32_t DoGetImage(std::int32_t type, double factor,
                            std::unique_ptr<RawFrame>& frame) override;
    using Device2000::DoGetImage;

    const Codec* GetFpnCodec() const { return fpnCodec_.get(); }
    const ScalingBlock& Scaling() const { return scaling_; }

protected:
    ~DeviceTOVIRAY() override = default;

private:
    std::int32_t ReadMemory(std::uint32_t address, std::uint32_t length, std::uint8_t* into);
    void ApplyToviRayDefaults();
    std::int32_t SelectSize();
    std::int32_t LoadRecords();
    std::int32_t BuildToviRayImage(std::int32_t type, std::unique_ptr<RawFrame>& frame);
    std::int32_t CorrectedImage(std::unique_ptr<RawFrame>& frame);

    std::unique_ptr<Codec> fpnCodec_;
    ScalingBlock scaling_;
    std::vector<std::uint8_t> toviRayMemory_;
};
