// Loads the plug-in as a host does and calls its exports through __stdcall pointers.
// A caller-cleans mismatch would unbalance the stack, which the ESP check catches.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
    ::FreeLibrary(module);
    std::printf("%s\n", failures == 0 ? "export host: all passed" : "export host: failures");
    return failures == 0 ? 0 : 1;
}
