#include "tools/host/DibFiles.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/common/PngFile.h"

namespace {

constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kFileHeaderSize = 14;

std::uint32_t Read32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

std::uint16_t Read16(const std::uint8_t* bytes) {
    std::uint16_t value;
    std::memcpy(&value, bytes, 2);
    return value;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& head,
                const std::vector<std::uint8_t>& body, std::string& error) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(head.data()),
               static_cast<std::streamsize>(head.size()));
    file.write(reinterpret_cast<const char*>(body.data()),
               static_cast<std::streamsize>(body.size()));
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace

bool ParseDib(const std::vector<std::uint8_t>& dib, DibLayout& layout, std::string& error) {
    if (dib.size() < kHeaderSize || Read32(dib.data()) != kHeaderSize) {
        error = "not a packed DIB with a 40-byte header";
        return false;
    }
    const auto width = static_cast<std::int32_t>(Read32(dib.data() + 4));
    const auto height = static_cast<std::int32_t>(Read32(dib.data() + 8));
    layout.bitCount = Read16(dib.data() + 14);
    const std::uint32_t compression = Read32(dib.data() + 16);
    if ((layout.bitCount != 8 && layout.bitCount != 16) || compression != 0 || width <= 0 ||
        height == 0 || height == INT32_MIN || width > 65536 || height > 65536 || height < -65536) {
        error = "not an uncompressed 8- or 16-bit DIB of a usable size";
        return false;
    }
    layout.width = width;
    layout.height = height > 0 ? height : -height;
    layout.bottomUp = height > 0;
    layout.pixelsPerMeterX = static_cast<std::int32_t>(Read32(dib.data() + 24));
    layout.pixelsPerMeterY = static_cast<std::int32_t>(Read32(dib.data() + 28));
    std::uint32_t colours = Read32(dib.data() + 32);
    if (layout.bitCount == 8 && colours == 0)
        colours = 256;
    if (layout.bitCount == 16)
        colours = 0;
    if (colours > 256) {
        error = "the colour table is too long";
        return false;
    }
    layout.bitsOffset = kHeaderSize + 4 * static_cast<std::size_t>(colours);
    layout.stride = (static_cast<std::size_t>(width) * layout.bitCount / 8 + 3) & ~std::size_t{3};
    const std::uint64_t needed = layout.bitsOffset + std::uint64_t{layout.stride} *
                                                         static_cast<std::uint64_t>(layout.height);
    if (dib.size() < needed) { // 64 bits: a 32-bit size_t could wrap
        error = "the DIB is shorter than its rows";
        return false;
    }
    return true;
}

const std::uint8_t* DibRow(const std::vector<std::uint8_t>& dib, const DibLayout& layout, int row) {
    const int stored = layout.bottomUp ? layout.height - 1 - row : row;
    return dib.data() + layout.bitsOffset + layout.stride * static_cast<std::size_t>(stored);
}

std::uint8_t DibGrey(const std::vector<std::uint8_t>& dib, const DibLayout& layout,
                     std::uint8_t index) {
    const std::size_t colours = (layout.bitsOffset - kHeaderSize) / 4;
    return index < colours ? dib[kHeaderSize + 4 * std::size_t{index} + 1] : index;
}

bool WriteBmpFile(const std::string& path, const std::vector<std::uint8_t>& dib,
                  std::string& error) {
    DibLayout layout;
    if (!ParseDib(dib, layout, error))
        return false;
    std::vector<std::uint8_t> header(kFileHeaderSize, 0);
    header[0] = 'B';
    header[1] = 'M';
    const auto fileSize = static_cast<std::uint32_t>(kFileHeaderSize + dib.size());
    const auto offset = static_cast<std::uint32_t>(kFileHeaderSize + layout.bitsOffset);
    std::memcpy(header.data() + 2, &fileSize, 4);
    std::memcpy(header.data() + 10, &offset, 4);
    return WriteBytes(path, header, dib, error);
}

bool ReadBmpFile(const std::string& path, std::vector<std::uint8_t>& dib, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (!file.eof() && !file) {
        error = "cannot read " + path;
        return false;
    }
    if (bytes.size() < kFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
        error = path + " is no bitmap file";
        return false;
    }
    dib.assign(bytes.begin() + kFileHeaderSize, bytes.end());
    DibLayout layout;
    if (!ParseDib(dib, layout, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool WritePngFile(const std::string& path, const std::vector<std::uint8_t>& dib,
                  std::string& error) {
    DibLayout layout;
    if (!ParseDib(dib, layout, error))
        return false;
    const std::size_t rowBytes = static_cast<std::size_t>(layout.width) * layout.bitCount / 8;
    std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(layout.height));
    for (int row = 0; row < layout.height; ++row) {
        const std::uint8_t* source = DibRow(dib, layout, row);
        std::uint8_t* target = rows.data() + rowBytes * static_cast<std::size_t>(row);
        if (layout.bitCount == 16) {
            std::memcpy(target, source, rowBytes);
            continue;
        }
        for (int x = 0; x < layout.width; ++x)
            target[x] = DibGrey(dib, layout, source[x]);
    }
    return tools::WritePng(path, layout.width, layout.height,
                           layout.bitCount == 16 ? tools::PngPixels::Grey16
                                                 : tools::PngPixels::Grey8,
                           rows.data(), rowBytes, error);
}
