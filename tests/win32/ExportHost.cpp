// Loads the plug-in as a host does and calls its exports through __stdcall pointers.
// A caller-cleans mismatch would unbalance the stack, which the ESP check catches.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "StackBalance.h"
#include "Version.h"

namespace {

int failures = 0;

void Expect(bool condition, const char* what) {
    if (!condition) {
        std::printf("FAILED: %s\n", what);
        ++failures;
    }
}

template <typename F> F Export(HMODULE module, const char* name) {
    auto address = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    Expect(address != nullptr, name);
    return address;
}

using IntNoArgs = int(__stdcall*)();
using TextSink = void(__stdcall*)(char*, int);
using SetOptions = void(__stdcall*)(const void*, unsigned);
using GetOptions = void(__stdcall*)(void*);
using Capture = HGLOBAL(__stdcall*)(unsigned, unsigned);
using Reorient = int(__stdcall*)(int, int, int, int, int);

void CheckIdentity(HMODULE module) {
    Expect(Export<IntNoArgs>(module, "SEDGetSEDVersion")() == 0x00020000, "version");
    Expect(Export<IntNoArgs>(module, "SEDGetConfigurationAndOptionsSize")() == 1280, "size");
    char text[64] = {};
    Export<TextSink>(module, "SEDGetCurrentSensorID")(text, sizeof text);
    Expect(std::strcmp(text, "<Tovi USB II Sensor>") == 0, "sensor id text");
    Expect(Export<Reorient>(module, "SEDReorientImage16")(1, 2, 3, 4, 5) == 0, "reorient");
    Expect(Export<IntNoArgs>(module, "SEDGetNumberOfBGCDiagnosticMessages")() == 0, "bgc");
}

void CheckOptionsRoundTrip(HMODULE module) {
    unsigned char record[1280] = {};
    Export<GetOptions>(module, "SEDGetConfigurationAndOptions")(record);
    Expect(record[2] == 1 && record[152] == 0x44, "default record");
    std::memset(record + 4, 0, sizeof record - 4);
    Export<SetOptions>(module, "SEDSetConfigurationAndOptions")(record, 100);
    unsigned char back[1280] = {};
    Export<GetOptions>(module, "SEDGetConfigurationAndOptions")(back);
    Expect(back[152] == 0 && back[312] == 1, "repaired record");
}

void CheckCaptureWithoutSensor(HMODULE module) {
    HGLOBAL image = Export<Capture>(module, "SEDQuickCaptureImage16")(0xFFFFFFFF, 0);
    Expect(image == nullptr, "no image without a sensor");
    char text[256] = {};
    Export<TextSink>(module, "SEDGetErrorMessage")(text, sizeof text);
    Expect(text[0] != '\0', "error text");
}

// Answers every message box of this process with OK, as a user would.
DWORD WINAPI AnswerMessageBoxes(void*) {
    for (;;) {
        HWND box = ::FindWindowA("#32770", nullptr);
        if (box != nullptr)
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        ::Sleep(20);
    }
}

// Every export, called through a plain pointer with the argument count a host uses.
void CheckEveryExportKeepsTheStackBalanced(HMODULE module) {
    static char text[256];
    static unsigned char record[1584];
    static const char dir[] = "C:\\ToviData";
    const unsigned textArgs[] = {reinterpret_cast<unsigned>(text), sizeof text};
    const unsigned recordArgs[] = {reinterpret_cast<unsigned>(record), 1280};
    const unsigned dirArgs[] = {reinterpret_cast<unsigned>(dir)};
    const unsigned zeros[] = {0, 0, 0, 0, 0};
    struct Call {
        const char* name;
        const unsigned* args;
        int count;
    };
    const Call calls[] = {
        {"SEDSetSEDDir", dirArgs, 1},
        {"SEDSetDevicesDir", dirArgs, 1},
        {"SEDSetMainWindow", zeros, 1},
        {"SEDSetStatusCallback", zeros, 1},
        {"SEDSetImageCallback", zeros, 1},
        {"SEDSetTranslateCallback", zeros, 1},
        {"SEDSetSensorID", zeros, 1},
        {"SEDPostMount", zeros, 0},
        {"SEDGetSEDVersion", zeros, 0},
        {"SEDGetCurrentPort", zeros, 0},
        {"SEDGetCurrentSensorID", textArgs, 2},
        {"SEDGetCurrentSensorDefinition", textArgs, 2},
        {"SEDGroupStarted", zeros, 0},
        {"SEDCaptureImage", zeros, 2},
        {"SEDCaptureImageNoPrompt", zeros, 2},
        {"SEDQuickCaptureImage", zeros, 2},
        {"SEDCaptureImage16", zeros, 2},
        {"SEDCaptureImageNoPrompt16", zeros, 2},
        {"SEDQuickCaptureImage16", zeros, 2},
        {"SEDGroupEnded", zeros, 0},
        {"SEDUserTerminated", zeros, 0},
        {"SEDTimedOut", zeros, 0},
        {"SEDGetConfigurationAndOptionsSize", zeros, 0},
        {"SEDGetConfigurationAndOptions", recordArgs, 1},
        {"SEDSetConfigurationAndOptions", recordArgs, 2},
        {"SEDDisplayConfiguration", zeros, 0},
        {"SEDDisplayOptions", zeros, 0},
        {"SEDAddNewSensor", zeros, 0},
        {"SEDSwitchSensor", zeros, 0},
        {"SEDImportNativeImage", zeros, 1},
        {"SEDBGCStart", zeros, 0},
        {"SEDBGCTerminate", zeros, 0},
        {"SEDResetBGCDiagnosticMessages", zeros, 0},
        {"SEDIsBGCActive", zeros, 0},
        {"SEDGetNumberOfBGCDiagnosticMessages", zeros, 0},
        {"SEDGetBGCDiagnosticMessage", zeros, 1},
        {"SEDReorientImage", zeros, 5},
        {"SEDReorientImage16", zeros, 5},
        {"SEDGetErrorMessage", textArgs, 2},
        {"SEDGetCurrentStatus", textArgs, 2},
        {"SEDGetNumberOfDiagnosticMessages", zeros, 0},
        {"SEDGetDiagnosticMessage", zeros, 1},
        {"SEDResetDiagnosticMessages", zeros, 0},
        {"SEDGetImageInfo", textArgs, 2},
        {"SEDGetDICOMInfo", recordArgs, 1},
        {"SEDReorientImageEx", zeros, 5},
        {"SEDReorientImage16Ex", zeros, 5},
        {"SEDPreUnmount", zeros, 0},
    };
    static_assert(sizeof calls / sizeof calls[0] == 48);
    ::CreateThread(nullptr, 0, &AnswerMessageBoxes, nullptr, 0, nullptr);
    for (const Call& call : calls) {
        void* address = reinterpret_cast<void*>(::GetProcAddress(module, call.name));
        Expect(address != nullptr, call.name);
        if (address == nullptr)
            continue;
        if (std::strcmp(call.name, "SEDGetDICOMInfo") == 0) {
            unsigned size = sizeof record;
            std::memcpy(record, &size, 4);
        }
        int imbalance = CallAndMeasureStack(address, call.args, call.count);
        if (imbalance != 0)
            std::printf("%s left %d bytes on the stack\n", call.name, imbalance);
        Expect(imbalance == 0, call.name);
    }
    Expect(std::strcmp(reinterpret_cast<char*>(record + 68), "IO") == 0, "DICOM modality");
}

// The English string block of the version resource names the library's version.
void CheckProductVersion(const char* path) {
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    Expect(size != 0, "version resource present");
    if (size == 0)
        return;
    std::vector<char> info(size);
    ::GetFileVersionInfoA(path, 0, size, info.data());
    char* value = nullptr;
    UINT length = 0;
    bool found = ::VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\ProductVersion",
                                  reinterpret_cast<void**>(&value), &length) != 0;
    Expect(found && std::string(value) == TOVI_VERSION_TEXT, "ProductVersion");
}

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.rfind('\\'));
}

std::string ReadText(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text(65536, '\0');
    DWORD read = 0;
    ::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    ::CloseHandle(file);
    text.resize(read);
    return text;
}

// With logging on, SEDPostMount opens a MainLog file in the Logs directory beside the host.
void CheckMainLogBesideTheHost(HMODULE module) {
    unsigned char record[1280] = {};
    Export<GetOptions>(module, "SEDGetConfigurationAndOptions")(record);
    record[232] = 1;
    Export<SetOptions>(module, "SEDSetConfigurationAndOptions")(record, sizeof record);
    Export<IntNoArgs>(module, "SEDPostMount")();

    std::string logs = ProgramDirectory() + "\\Logs";
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((logs + "\\*_ToviUSBIIMain_*.ToviMainLog").c_str(), &found);
    Expect(search != INVALID_HANDLE_VALUE, "MainLog file in the Logs directory");
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> files;
    do {
        files.push_back(logs + "\\" + found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    Expect(files.size() <= 5, "at most five MainLog files");
    bool posted = false;
    for (const std::string& file : files) {
        std::string text = ReadText(file);
        posted = posted || (text.find("Logging enabled @ ") != std::string::npos &&
                            text.find("  PostMount()\r\n") != std::string::npos &&
                            text.find("Logging closed @ ") == std::string::npos);
    }
    Expect(posted, "open MainLog with its header and PostMount()");

    record[232] = 0;
    Export<SetOptions>(module, "SEDSetConfigurationAndOptions")(record, sizeof record);
    Export<IntNoArgs>(module, "SEDDisplayOptions")();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    HMODULE module = ::LoadLibraryA(argv[1]);
    if (module == nullptr) {
        std::printf("cannot load %s (error %lu)\n", argv[1], ::GetLastError());
        return 1;
    }
    CheckProductVersion(argv[1]);
    CheckIdentity(module);
    CheckOptionsRoundTrip(module);
    CheckCaptureWithoutSensor(module);
    CheckMainLogBesideTheHost(module);
    CheckEveryExportKeepsTheStackBalanced(module);
    ::FreeLibrary(module);
    std::printf("%s\n", failures == 0 ? "export host: all passed" : "export host: failures");
    return failures == 0 ? 0 : 1;
}
