// A host in miniature: loads the plug-in through its exports, points it at a
// data directory, captures an 8-bit and a 16-bit image from the first sensor,
// and writes both as bitmap files beside the DICOM description of the capture.
//   tovi_demo <plug-in> <data directory> <output stem>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
void Close(Module module) {
    ::FreeLibrary(module);
}
void* LockBlock(void* block) {
    return ::GlobalLock(block);
}
std::size_t BlockSize(void* block) {
    return ::GlobalSize(block);
}
void UnlockBlock(void* block) {
    ::GlobalUnlock(block);
}
void FreeBlock(void* block) {
    ::GlobalFree(block);
}
#else
#include <dlfcn.h>

#include "platform/posix/HostGlobalBlock.h"
#define CALL
using Module = void*;
// The plug-in keeps a few process-lifetime objects (its window system, its
// clock); left mapped, they stay reachable for the sanitizers' leak check.
Module Open(const char* path) {
    return dlopen(path, RTLD_NOW | RTLD_NODELETE);
}
void* Find(Module module, const char* name) {
    return dlsym(module, name);
}
void Close(Module module) {
    dlclose(module);
}
void* LockBlock(void* block) {
    return hostblock::Lock(block);
}
std::size_t BlockSize(void* block) {
    hostblock::Header* header = hostblock::HeaderOf(block);
    return header != nullptr ? header->size : 0;
}
void UnlockBlock(void* block) {
    hostblock::Unlock(block);
}
void FreeBlock(void* block) {
    hostblock::Free(block);
}
#endif

namespace {

using VoidText = void(CALL*)(const char*);
using IntNoArgs = int(CALL*)();
using TextSink = void(CALL*)(char*, int);
using StatusCallback = void(CALL*)(int, int, const char*);
using SetStatus = void(CALL*)(StatusCallback);
using Capture = void*(CALL*)(unsigned, unsigned);
using RecordSink = void(CALL*)(void*);

// The plug-in's exports a host needs for a capture.
struct Plugin {
    VoidText setSedDir;
    SetStatus setStatusCallback;
    IntNoArgs postMount, preUnmount, version;
    TextSink definition, errorMessage;
    Capture capture8, capture16;
    RecordSink dicomInfo;

    bool Load(Module module) {
        setSedDir = reinterpret_cast<VoidText>(Find(module, "SEDSetSEDDir"));
        setStatusCallback = reinterpret_cast<SetStatus>(Find(module, "SEDSetStatusCallback"));
        postMount = reinterpret_cast<IntNoArgs>(Find(module, "SEDPostMount"));
        preUnmount = reinterpret_cast<IntNoArgs>(Find(module, "SEDPreUnmount"));
        version = reinterpret_cast<IntNoArgs>(Find(module, "SEDGetSEDVersion"));
        definition = reinterpret_cast<TextSink>(Find(module, "SEDGetCurrentSensorDefinition"));
        errorMessage = reinterpret_cast<TextSink>(Find(module, "SEDGetErrorMessage"));
        capture8 = reinterpret_cast<Capture>(Find(module, "SEDCaptureImage"));
        capture16 = reinterpret_cast<Capture>(Find(module, "SEDCaptureImage16"));
        dicomInfo = reinterpret_cast<RecordSink>(Find(module, "SEDGetDICOMInfo"));
        return setSedDir && setStatusCallback && postMount && preUnmount && version && definition &&
               errorMessage && capture8 && capture16 && dicomInfo;
    }
};

const char* const kStatusNames[] = {"done",      "",      "",           "",       "",
                                    "preparing", "ready", "processing", "pausing"};

void CALL PrintStatus(int, int code, const char* text) {
    const char* name = code >= 0 && code <= 8 ? kStatusNames[code] : "?";
    std::string line = text != nullptr ? text : "";
    for (char& c : line)
        c = c == '\n' ? ' ' : c;
    std::printf("  [%d %s] %s\n", code, name, line.c_str());
    std::fflush(stdout);
}

std::uint32_t Read32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

// A bitmap file: the 14-byte file header, then the packed DIB as it is.
bool WriteBitmapFile(const std::string& path, const std::uint8_t* dib, std::size_t size) {
    if (size < 40)
        return false;
    const std::uint32_t headerSize = Read32(dib);
    std::uint16_t bitCount;
    std::memcpy(&bitCount, dib + 14, 2);
    const std::uint32_t compression = Read32(dib + 16);
    std::uint32_t colours = Read32(dib + 32);
    if (colours == 0 && bitCount <= 8)
        colours = 1u << bitCount;
    const std::uint32_t table = bitCount <= 8 ? 4 * colours : (compression == 3 ? 12 : 0);
    const std::uint32_t fileSize = static_cast<std::uint32_t>(14 + size);
    const std::uint32_t offset = 14 + headerSize + table;
    std::uint8_t header[14] = {'B', 'M'};
    std::memcpy(header + 2, &fileSize, 4);
    std::memcpy(header + 10, &offset, 4);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
                   std::fwrite(dib, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

bool SaveCapture(const Plugin& plugin, void* block, const std::string& path) {
    if (block == nullptr) {
        char text[512] = {};
        plugin.errorMessage(text, sizeof text);
        std::printf("capture failed: %s\n", text);
        return false;
    }
    const auto* dib = static_cast<const std::uint8_t*>(LockBlock(block));
    const bool saved = dib != nullptr && WriteBitmapFile(path, dib, BlockSize(block));
    if (saved)
        std::printf("wrote %s (%d x %d, %u bits)\n", path.c_str(),
                    static_cast<int>(Read32(dib + 4)), static_cast<int>(Read32(dib + 8)),
                    static_cast<unsigned>(dib[14]));
    UnlockBlock(block);
    FreeBlock(block);
    return saved;
}

// The text fields of the 1584-byte DICOM description, one per line.
bool WriteDicomText(const Plugin& plugin, const std::string& path) {
    std::vector<std::uint8_t> record(1584);
    const std::uint32_t size = 1584;
    std::memcpy(record.data(), &size, 4);
    plugin.dicomInfo(record.data());
    const struct {
        int offset, width;
        const char* name;
    } fields[] = {
        {4, 64, "SOP class UID"},      {68, 32, "modality"},      {100, 64, "manufacturer"},
        {164, 128, "institution"},     {420, 64, "software"},     {484, 64, "station"},
        {1152, 64, "anatomic region"}, {1216, 64, "orientation"}, {1280, 32, "laterality"},
        {1312, 64, "region"},          {1376, 32, "region code"}};
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    for (const auto& field : fields) {
        std::string value(reinterpret_cast<const char*>(record.data() + field.offset),
                          static_cast<std::size_t>(field.width));
        value = value.substr(0, value.find('\0'));
        std::fprintf(file, "%s: %s\n", field.name, value.c_str());
    }
    std::printf("wrote %s\n", path.c_str());
    return std::fclose(file) == 0;
}

int Run(const Plugin& plugin, const std::string& dataDirectory, const std::string& stem) {
    plugin.setSedDir(dataDirectory.c_str());
    plugin.setStatusCallback(&PrintStatus);
    plugin.postMount();
    char text[256] = {};
    std::printf("interface version: 0x%08X\n", static_cast<unsigned>(plugin.version()));
    plugin.definition(text, sizeof text);
    std::printf("sensor: %s\n", text);
    // Lower right first molar (tooth 30): a posterior view.
    const unsigned tooth30 = 1u << 29;
    std::printf("8-bit capture:\n");
    bool ok = SaveCapture(plugin, plugin.capture8(tooth30, 0), stem + "-8bit.bmp");
    ok = ok && WriteDicomText(plugin, stem + "-dicom.txt");
    std::printf("16-bit capture:\n");
    ok = SaveCapture(plugin, plugin.capture16(tooth30, 0), stem + "-16bit.bmp") && ok;
    plugin.preUnmount();
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tovi_demo <plug-in> <data directory> <output stem>\n");
        return 2;
    }
    Module module = Open(argv[1]);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    Plugin plugin{};
    if (!plugin.Load(module)) {
        std::fprintf(stderr, "%s lacks the SED exports\n", argv[1]);
        return 1;
    }
    const int result = Run(plugin, argv[2], argv[3]);
    Close(module);
    return result;
}
