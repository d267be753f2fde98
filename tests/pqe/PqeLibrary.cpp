// Stand-ins for the external enhancement library, built in three forms:
// PQE_ALL exports the four functions by their plain names, PQE_DECORATED only
// by their decorated names, PQE_ONLY_PROCESS only ProcessImage. Each call is
// appended to "pqe-calls.txt" in the current directory; ProcessImage brightens
// the picture by 10 x third + fourth, so the result shows it was applied.

#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#define PQE_EXPORT extern "C" __declspec(dllexport)
#else
#include "platform/posix/HostBitmap.h"
#define PQE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

void Record(const char* format, long a = 0, long b = 0) {
    if (std::FILE* file = std::fopen("pqe-calls.txt", "a")) {
        std::fprintf(file, format, a, b);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

struct Samples {
    std::uint8_t* bits = nullptr;
    long width = 0, height = 0, pitch = 0;
};

Samples SamplesOf(void* bitmap) {
    Samples samples;
#ifdef _WIN32
    DIBSECTION section{};
    if (GetObjectA(static_cast<HBITMAP>(bitmap), sizeof section, &section) == sizeof section)
        samples = {static_cast<std::uint8_t*>(section.dsBm.bmBits), section.dsBm.bmWidth,
                   section.dsBm.bmHeight, section.dsBm.bmWidthBytes};
#else
    const auto* host = static_cast<const HostBitmap16*>(bitmap);
    samples = {host->bits, host->width, host->height, static_cast<long>(host->pitch)};
#endif
    return samples;
}

[[maybe_unused]] void InitImpl(void* window) {
    Record("Init()");
    (void)window;
}

void ProcessImageImpl(void* source, void* destination, int third, int fourth) {
    Record("ProcessImage(%ld, %ld)", third, fourth);
    const Samples in = SamplesOf(source), out = SamplesOf(destination);
    if (in.bits == nullptr || out.bits == nullptr || in.width != out.width ||
        in.height != out.height)
        return;
    for (long y = 0; y < in.height; ++y)
        for (long x = 0; x < in.width; ++x) {
            std::uint16_t value = 0;
            const std::uint8_t* from = in.bits + y * in.pitch + 2 * x;
            value = static_cast<std::uint16_t>(from[0] | (from[1] << 8));
            const long brighter = value + 10L * third + fourth;
            const auto result = static_cast<std::uint16_t>(brighter > 65535 ? 65535 : brighter);
            std::uint8_t* to = out.bits + y * out.pitch + 2 * x;
            to[0] = static_cast<std::uint8_t>(result);
            to[1] = static_cast<std::uint8_t>(result >> 8);
        }
}

[[maybe_unused]] void ProcessPreviewImpl() {
    Record("ProcessPreview()");
}

[[maybe_unused]] void CloseImpl() {
    Record("Close()");
}

} // namespace

#if defined(PQE_ALL)
PQE_EXPORT void Init(void* window) {
    InitImpl(window);
}
PQE_EXPORT void ProcessPreview() {
    ProcessPreviewImpl();
}
PQE_EXPORT void ProcessImage(void* source, void* destination, int third, int fourth) {
    ProcessImageImpl(source, destination, third, fourth);
}
PQE_EXPORT void Close() {
    CloseImpl();
}
#elif defined(PQE_DECORATED)
// The .def file gives them their decorated names (Windows only: an ELF linker
// reads "@@" in a name as a symbol version).
extern "C" {
void PqeInit(void* window) {
    InitImpl(window);
}
void PqeProcessPreview() {
    ProcessPreviewImpl();
}
void PqeProcessImage(void* source, void* destination, int third, int fourth) {
    ProcessImageImpl(source, destination, third, fourth);
}
void PqeClose() {
    CloseImpl();
}
}
#elif defined(PQE_ONLY_PROCESS)
PQE_EXPORT void ProcessImage(void* source, void* destination, int third, int fourth) {
    ProcessImageImpl(source, destination, third, fourth);
}
#endif
