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

// Answers every message box and dialog of this process with OK, as a user would
// (the sensor selection that a capture without a sensor opens among them).
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

using ReorientEx = HGLOBAL(__stdcall*)(HGLOBAL, int, int, int, int);

HGLOBAL BlockOf(const std::vector<unsigned char>& bytes) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    return block;
}

std::vector<unsigned char> DibOf(LONG width, LONG height, WORD bits, DWORD colours,
                                 std::size_t dataBytes) {
    std::vector<unsigned char> bytes(sizeof(BITMAPINFOHEADER) + 4 * colours + dataBytes, 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(bytes.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = bits;
    header->biClrUsed = colours;
    for (DWORD i = 0; i < colours; ++i)
        std::memset(&bytes[sizeof(BITMAPINFOHEADER) + 4 * i],
                    static_cast<int>(i * 255 / (colours - 1)), 3);
    return bytes;
}

// Turns a DIB from tooth 8 (180 degrees) to tooth 14 (270): a quarter turn clockwise.
// Returns the result's header and the byte at offset from the start of its pixels.
bool TurnDib(HMODULE module, const char* name, const std::vector<unsigned char>& dib,
             BITMAPINFOHEADER& result, std::size_t offset, unsigned char& value) {
    HGLOBAL block = BlockOf(dib);
    HGLOBAL turned = Export<ReorientEx>(module, name)(block, 1 << 7, 0, 1 << 13, 0);
    ::GlobalFree(block);
    if (turned == nullptr)
        return false;
    auto* bytes = static_cast<unsigned char*>(::GlobalLock(turned));
    result = *reinterpret_cast<BITMAPINFOHEADER*>(bytes);
    value = bytes[sizeof(BITMAPINFOHEADER) + 4 * result.biClrUsed + offset];
    ::GlobalUnlock(turned);
    ::GlobalFree(turned);
    return true;
}

std::string ErrorText(HMODULE module) {
    char text[256] = {};
    Export<TextSink>(module, "SEDGetErrorMessage")(text, sizeof text);
    return text;
}

// Source pixel (row 0, column 0) of a 3 x 2 picture lands in row 2, column 0 of the 2 x 3 result.
void CheckReorientation(HMODULE module) {
    BITMAPINFOHEADER header{};
    unsigned char value = 0;
    auto eight = DibOf(3, 2, 8, 256, 8);
    eight[sizeof(BITMAPINFOHEADER) + 1024] = 77;
    Expect(TurnDib(module, "SEDReorientImageEx", eight, header, 2 * 4, value) &&
               header.biWidth == 2 && header.biHeight == 3 && header.biBitCount == 8 && value == 77,
           "8-bit DIB turned");
    auto sixteen = DibOf(3, 2, 16, 0, 16);
    sixteen[sizeof(BITMAPINFOHEADER)] = 0x34;
    Expect(TurnDib(module, "SEDReorientImage16Ex", sixteen, header, 2 * 4, value) &&
               header.biWidth == 2 && header.biHeight == 3 && header.biBitCount == 16 &&
               value == 0x34,
           "16-bit DIB turned");
    auto rgb = DibOf(3, 2, 24, 0, 24);
    rgb[sizeof(BITMAPINFOHEADER) + 2] = 0x56;
    Expect(TurnDib(module, "SEDReorientImageEx", rgb, header, 2 * 8 + 2, value) &&
               header.biWidth == 2 && header.biBitCount == 24 && value == 0x56,
           "24-bit DIB turned");
    auto rgbx = DibOf(1, 1, 32, 0, 4);
    rgbx[sizeof(BITMAPINFOHEADER) + 2] = 0x78; // red of the default masks
    Expect(TurnDib(module, "SEDReorientImageEx", rgbx, header, 2, value) &&
               header.biBitCount == 24 && value == 0x78,
           "32-bit DIB turned");
    auto mono = DibOf(9, 1, 1, 2, 4);
    mono[sizeof(BITMAPINFOHEADER) + 8] = 0x80;
    Expect(TurnDib(module, "SEDReorientImageEx", mono, header, 8 * 4, value) &&
               header.biWidth == 1 && header.biHeight == 9 && header.biBitCount == 8 && value == 1,
           "1-bit DIB turned");
    Expect(TurnDib(module, "SEDReorientImage16Ex", DibOf(3, 2, 16, 0, 15), header, 0, value) ==
                   false &&
               ErrorText(module) == "Invalid image was specified",
           "truncated DIB refused");
    Expect(TurnDib(module, "SEDReorientImageEx", DibOf(3, 2, 8, 256, 0), header, 0, value) ==
                   false &&
               ErrorText(module) == "Invalid image was specified",
           "DIB without pixels refused");
    Expect(Export<ReorientEx>(module, "SEDReorientImageEx")(nullptr, 0, 0, 0, 0) == nullptr &&
               ErrorText(module) == "No image was specified",
           "null DIB refused");
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
    ::CreateThread(nullptr, 0, &AnswerMessageBoxes, nullptr, 0, nullptr);
    CheckProductVersion(argv[1]);
    CheckIdentity(module);
    CheckOptionsRoundTrip(module);
    CheckCaptureWithoutSensor(module);
    CheckMainLogBesideTheHost(module);
    CheckReorientation(module);
    CheckEveryExportKeepsTheStackBalanced(module);
    ::FreeLibrary(module);
    std::printf("%s\n", failures == 0 ? "export host: all passed" : "export host: failures");
    return failures == 0 ? 0 : 1;
}
