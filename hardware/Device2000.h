#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hardware/Codec.h"
#include "hardware/Device.h"
#include "hardware/HardwareProperties.h"

// The 2000-series sensor: its commands, its 1-Wire memory and its capture.
class Device2000 : public Device {
public:
    static constexpr std::size_t kMemorySize = 8192;
    static constexpr std::size_t kMacLength = 8;

protected:
    // Made and deleted through CountedRef only.
    Device2000(std::unique_ptr<UsbIo> channel, std::string devicePath, NotifyCallback notify,
               std::shared_ptr<const DeviceHost> host);
    ~Device2000() override;

public:
    std::int32_t Identify(char* buffer) override;
    std::int32_t Open() override;
    void Close() override;
    std::int32_t CaptureImage() override;
    void RequestTrigger() override { triggerRequest_ = 1; }
    std::int32_t DoGetImage(std::int32_t type, double factor,
                            std::unique_ptr<RawFrame>& frame) override;
    std::int32_t DoGetImage(std::int32_t type, std::unique_ptr<RawFrame>& frame) override {
        return DoGetImage(type, 0.4, frame);
    }
    std::int32_t GetImage(std::unique_ptr<RawFrame>& frame) override;
    std::int32_t GetResolutionX() override;
    std::int32_t GetResolutionY() override;
    std::string GetProperty(const std::string& name) override;
    std::int32_t SetProperty(const std::string& name, const std::string& value) override;
    std::int32_t ProcessingFamily() override;

    virtual std::int32_t SetDefaultProperty(const std::string& name,
                                            const std::string& defaultValue);
    virtual std::uint8_t* GetMemoryBuffer();
    virtual std::int32_t Init();
    virtual std::int32_t Reset();
    virtual std::int32_t CheckMemoryPresent(std::uint8_t& present);
    virtual std::int32_t GetSensorSize();
    virtual std::int32_t SetSensorSize(std::int32_t sizeClass);
    virtual std::int32_t ParseDefectDataAddress();
    virtual std::int32_t GetSettingsFrom1WireMemory();

    std::int32_t PowerCommand(std::uint8_t power);
    std::int32_t Echo(bool check);
    std::int32_t ReadMacID(std::uint8_t* buffer, std::size_t length);
    bool MACID_HasChanged();
    std::int32_t WaitForCcdStatus(const std::uint8_t* codes, std::size_t count,
                                  std::int32_t timeout);
    std::int32_t AbortCapture();

    std::uint32_t PixelsPerLine() const { return pixelsPerLine_; }
    std::uint32_t LinesPerFrame() const { return linesPerFrame_; }
    std::int32_t SizeClass() const { return sizeClass_; }
    bool FullResolution() const { return fullResolution_ != 0; }
    const Codec* GetCodec() const { return codec_.get(); }
    const RawFrame& ExposedFrame() const { return exposedFrame_; }
    const RawFrame& DarkFrame() const { return darkFrame_; }
    std::size_t DefectDataLength() const { return defectLength_; }

protected:
    // Sends one command message; the channel's status.
    std::int32_t Send(std::initializer_list<std::uint8_t> bytes);
    // lastErrorText = message, logged as tag (a format taking it), status passed on.
    std::int32_t Fail(std::int32_t status, const char* message, const char* tag);
    std::int32_t ReadImage(RawFrame& frame);
    void ReadDefectDataParams();
    std::int32_t LoadDeviceFile();
    bool ReadsBinned() const { return fullResolution_ == 0; }
    void ApplyDefaults();
    std::int32_t Resolution(const char* pitchName);
    void PrepareWait(std::uint32_t milliseconds, std::uint32_t step, const char* text,
                     std::int32_t kind);
    std::int32_t SetCaptureParameters();
    std::int32_t ReadFrames();
    const char* MissingFrame(std::int32_t type) const;
    std::int32_t BuildImage(std::int32_t type, std::unique_ptr<RawFrame>& frame);
    void FinishImage(std::unique_ptr<RawFrame>& frame);
    void SaveDump(const RawFrame& frame);
    void ForgetMemoryContents();
    std::uint32_t OffsetDisplacement() const;

    bool initialized_ = false;
    CHardwareProperties properties_{"BASE"};
    std::unique_ptr<Codec> codec_;
    bool binned_ = false;
    std::int32_t sensitivity_ = 0;
    std::int32_t threshold_ = 0;
    std::int32_t integrationTime_ = 0;
    std::int32_t captureTimeout_ = 0;
    std::int32_t flushTime_ = 0;
    bool cropping_ = true;
    std::uint32_t linesPerFrame_ = 0;
    std::uint32_t pixelsPerLine_ = 0;
    std::int32_t sizeClass_ = 0;
    std::int32_t fullResolution_ = 0;
    std::array<std::uint8_t, kMacLength> macId_{};
    std::atomic<std::uint8_t> triggerRequest_{0};
    RawFrame darkFrame_;
    RawFrame exposedFrame_;
    // The dark frame was read whole right after the exposed frame: only then
    // may it be subtracted from it.
    bool framesPaired_ = false;
    // The memory's bytes and one zero byte behind them, so every text in it ends.
    std::vector<std::uint8_t> memory_;
    std::string memorySensorId_;
    std::size_t defectOffset_ = 0;
    std::size_t defectLength_ = 0;
};
