#include "tools/host/HostPlugin.h"

#include <cstring>

#include "tools/host/GlobalBlocks.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

constexpr std::size_t kDicomRecordSize = 1584;

using VoidText = void(TOVI_HOST_CALL*)(const char*);
using VoidPointer = void(TOVI_HOST_CALL*)(void*);
using VoidInt = void(TOVI_HOST_CALL*)(int);
using IntNoArgs = int(TOVI_HOST_CALL*)();
using VoidNoArgs = void(TOVI_HOST_CALL*)();
using TextSink = void(TOVI_HOST_CALL*)(char*, int);
using SetStatus = void(TOVI_HOST_CALL*)(HostPlugin::StatusCallback);
using SetTranslate = void(TOVI_HOST_CALL*)(HostPlugin::TranslateCallback);
using SetRecord = void(TOVI_HOST_CALL*)(const void*, unsigned);
using CaptureFunction = void*(TOVI_HOST_CALL*)(unsigned, unsigned);
using ReorientFunction = void*(TOVI_HOST_CALL*)(void*, unsigned, unsigned, unsigned, unsigned);

// The exports every call below needs; a file without them is no plug-in.
const char* const kRequiredExports[] = {"SEDSetSEDDir",
                                        "SEDSetDevicesDir",
                                        "SEDSetMainWindow",
                                        "SEDSetStatusCallback",
                                        "SEDSetTranslateCallback",
                                        "SEDSetSensorID",
                                        "SEDPostMount",
                                        "SEDPreUnmount",
                                        "SEDGetSEDVersion",
                                        "SEDGetCurrentSensorDefinition",
                                        "SEDGetCurrentSensorID",
                                        "SEDGetErrorMessage",
                                        "SEDGetConfigurationAndOptionsSize",
                                        "SEDGetConfigurationAndOptions",
                                        "SEDSetConfigurationAndOptions",
                                        "SEDDisplayConfiguration",
                                        "SEDDisplayOptions",
                                        "SEDGroupStarted",
                                        "SEDGroupEnded",
                                        "SEDCaptureImage",
                                        "SEDCaptureImage16",
                                        "SEDGetDICOMInfo",
                                        "SEDReorientImageEx",
                                        "SEDReorientImage16Ex"};

std::string Text(TextSink sink) {
    char text[1024] = {};
    sink(text, sizeof text);
    return text;
}

} // namespace

HostPlugin::~HostPlugin() {
    if (module_ == nullptr)
        return;
#if defined(_WIN32)
    ::FreeLibrary(static_cast<HMODULE>(module_));
#else
    dlclose(module_);
#endif
}

bool HostPlugin::Load(const std::string& path, std::string& error) {
#if defined(_WIN32)
    module_ = ::LoadLibraryA(path.c_str());
    if (module_ == nullptr) {
        error = "cannot load " + path + " (error " + std::to_string(::GetLastError()) + ")";
        return false;
    }
#else
    // The plug-in keeps a few process-lifetime objects (its window system, its
    // clock); left mapped, they stay reachable for the sanitizers' leak check.
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE);
    if (module_ == nullptr) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown reason");
        return false;
    }
#endif
    for (const char* name : kRequiredExports)
        if (Find(name) == nullptr) {
            error = path + " has no export " + name;
            return false;
        }
    return true;
}

void* HostPlugin::Find(const char* name) const {
#if defined(_WIN32)
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module_), name));
#else
    return dlsym(module_, name);
#endif
}

void HostPlugin::SetDirectories(const std::string& dataDirectory) {
    Export<VoidText>("SEDSetSEDDir")(dataDirectory.c_str());
    Export<VoidText>("SEDSetDevicesDir")(dataDirectory.c_str());
}

void HostPlugin::SetMainWindow(void* window) {
    Export<VoidPointer>("SEDSetMainWindow")(window);
}

void HostPlugin::SetCallbacks(StatusCallback status, TranslateCallback translate,
                              int sensorNumber) {
    Export<SetStatus>("SEDSetStatusCallback")(status);
    Export<SetTranslate>("SEDSetTranslateCallback")(translate);
    Export<VoidInt>("SEDSetSensorID")(sensorNumber);
}

void HostPlugin::PostMount() {
    Export<IntNoArgs>("SEDPostMount")();
}

void HostPlugin::PreUnmount() {
    Export<IntNoArgs>("SEDPreUnmount")();
}

int HostPlugin::Version() {
    return Export<IntNoArgs>("SEDGetSEDVersion")();
}

std::string HostPlugin::SensorDefinition() {
    return Text(Export<TextSink>("SEDGetCurrentSensorDefinition"));
}

std::string HostPlugin::SensorId() {
    return Text(Export<TextSink>("SEDGetCurrentSensorID"));
}

std::string HostPlugin::ErrorMessage() {
    return Text(Export<TextSink>("SEDGetErrorMessage"));
}

std::vector<std::uint8_t> HostPlugin::Options() {
    const int size = Export<IntNoArgs>("SEDGetConfigurationAndOptionsSize")();
    std::vector<std::uint8_t> record(size > 0 ? static_cast<std::size_t>(size) : 0);
    if (!record.empty())
        Export<VoidPointer>("SEDGetConfigurationAndOptions")(record.data());
    return record;
}

void HostPlugin::SetOptions(const std::vector<std::uint8_t>& record) {
    Export<SetRecord>("SEDSetConfigurationAndOptions")(record.data(),
                                                       static_cast<unsigned>(record.size()));
}

bool HostPlugin::DisplayConfiguration() {
    return Export<IntNoArgs>("SEDDisplayConfiguration")() == 1;
}

void HostPlugin::DisplayOptions() {
    Export<IntNoArgs>("SEDDisplayOptions")();
}

void HostPlugin::GroupStarted() {
    Export<VoidNoArgs>("SEDGroupStarted")();
}

void HostPlugin::GroupEnded() {
    Export<IntNoArgs>("SEDGroupEnded")();
}

std::vector<std::uint8_t> HostPlugin::Capture(bool sixteenBit, std::uint32_t permanentTeeth,
                                              std::uint32_t primaryTeeth) {
    auto capture = Export<CaptureFunction>(sixteenBit ? "SEDCaptureImage16" : "SEDCaptureImage");
    return hostblocks::TakeBlock(capture(permanentTeeth, primaryTeeth));
}

std::vector<std::uint8_t> HostPlugin::DicomInfo() {
    std::vector<std::uint8_t> record(kDicomRecordSize);
    const auto size = static_cast<std::uint32_t>(kDicomRecordSize);
    std::memcpy(record.data(), &size, sizeof size);
    Export<VoidPointer>("SEDGetDICOMInfo")(record.data());
    return record;
}

std::vector<std::uint8_t> HostPlugin::Reorient(const std::vector<std::uint8_t>& dib,
                                               bool sixteenBit, std::uint32_t oldPermanent,
                                               std::uint32_t oldPrimary, std::uint32_t newPermanent,
                                               std::uint32_t newPrimary) {
    auto reorient =
        Export<ReorientFunction>(sixteenBit ? "SEDReorientImage16Ex" : "SEDReorientImageEx");
    void* input = hostblocks::NewBlock(dib);
    if (input == nullptr)
        return {};
    void* output = reorient(input, oldPermanent, oldPrimary, newPermanent, newPrimary);
    hostblocks::FreeBlock(input); // the host keeps ownership of its input
    return hostblocks::TakeBlock(output);
}
