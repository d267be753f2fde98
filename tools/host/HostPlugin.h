#pragma once

#include <cstdint>
#include <string>
#include <vector>

#if defined(_WIN32)
#define TOVI_HOST_CALL __stdcall
#else
#define TOVI_HOST_CALL
#endif

// The plug-in as a host sees it: the module loaded from its file and its SED
// exports; unloaded with the object.
class HostPlugin {
public:
    using StatusCallback = void(TOVI_HOST_CALL*)(int sensor, int code, const char* text);
    using TranslateCallback = void(TOVI_HOST_CALL*)(const char* text, char* out, int size);

    HostPlugin() = default;
    ~HostPlugin();
    HostPlugin(const HostPlugin&) = delete;
    HostPlugin& operator=(const HostPlugin&) = delete;

    // False with the reason in `error` when the file is no plug-in.
    bool Load(const std::string& path, std::string& error);

    void SetDirectories(const std::string& dataDirectory);
    void SetMainWindow(void* window);
    void SetCallbacks(StatusCallback status, TranslateCallback translate, int sensorNumber);
    void PostMount();
    void PreUnmount();

    int Version();
    std::string SensorDefinition();
    std::string SensorId();
    std::string ErrorMessage();

    std::vector<std::uint8_t> Options();
    void SetOptions(const std::vector<std::uint8_t>& record);
    bool DisplayConfiguration();
    void DisplayOptions();

    void GroupStarted();
    void GroupEnded();
    // The packed DIB of a capture; empty when the plug-in returned none.
    std::vector<std::uint8_t> Capture(bool sixteenBit, std::uint32_t permanentTeeth,
                                      std::uint32_t primaryTeeth);
    std::vector<std::uint8_t> DicomInfo();
    // The DIB turned from the old teeth to the new; empty on failure.
    std::vector<std::uint8_t> Reorient(const std::vector<std::uint8_t>& dib, bool sixteenBit,
                                       std::uint32_t oldPermanent, std::uint32_t oldPrimary,
                                       std::uint32_t newPermanent, std::uint32_t newPrimary);

private:
    template <typename Function> Function Export(const char* name) const {
        return reinterpret_cast<Function>(Find(name));
    }
    void* Find(const char* name) const;

    void* module_ = nullptr;
};
