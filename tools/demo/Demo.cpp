// Loads the plug-in through its exports, as a host does, and prints its identity.

#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#define CALL __stdcall
using Module = HMODULE;
Module Open(const char* path) {
    return ::LoadLibraryA(path);
}
void* Find(Module module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(module, name));
}
#else
#include <dlfcn.h>
#define CALL
using Module = void*;
Module Open(const char* path) {
    return dlopen(path, RTLD_NOW);
}
void* Find(Module module, const char* name) {
    return dlsym(module, name);
}
#endif

using IntNoArgs = int(CALL*)();
using TextSink = void(CALL*)(char*, int);
using GetOptions = void(CALL*)(void*);

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "./ToviUSBII.so";
    Module module = Open(path);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    auto version = reinterpret_cast<IntNoArgs>(Find(module, "SEDGetSEDVersion"));
    auto sensorId = reinterpret_cast<TextSink>(Find(module, "SEDGetCurrentSensorID"));
    auto definition = reinterpret_cast<TextSink>(Find(module, "SEDGetCurrentSensorDefinition"));
    auto options = reinterpret_cast<GetOptions>(Find(module, "SEDGetConfigurationAndOptions"));
    if (!version || !sensorId || !definition || !options) {
        std::fprintf(stderr, "%s lacks the SED exports\n", path);
        return 1;
    }
    char text[256] = {};
    std::printf("interface version: 0x%08X\n", static_cast<unsigned>(version()));
    sensorId(text, sizeof text);
    std::printf("sensor id:         %s\n", text);
    definition(text, sizeof text);
    std::printf("sensor definition: %s\n", text);
    unsigned char record[1280] = {};
    options(record);
    std::printf("option record (non-zero 32-bit words):\n");
    for (int offset = 0; offset < 1280; offset += 4) {
        std::uint32_t word;
        std::memcpy(&word, record + offset, 4);
        if (word != 0)
            std::printf("  %4d: 0x%08X\n", offset, static_cast<unsigned>(word));
    }
    return 0;
}
