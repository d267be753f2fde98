// Captures one frame from a simulated sensor at the device level, in virtual
// time, and writes the corrected frame as an 8-bit grey BMP. An id starting
// with "TR" is a ToviRay sensor (its last letter C or D), any other a
// 2000-series one (its last letter A to D).
//
//   tovi_capture [output.bmp [sensor id [binned]]]

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hardware/DeviceStatus.h"
#include "hardware/StaticDeviceHost.h"
#include "platform/Clock.h"
#include "simulator/SimulatedDriver.h"
#include "support/BufferedFile.h"
#include "support/FileHelpers.h"
#include "support/LastError.h"
#include "tools/common/SimulatedDevice.h"

namespace {

const char* const kSettings = "<?xml version=\"1.0\"?>\n<SETTINGS>\n"
                              "  <SENSOR id=\"2000\" left_margin=\"4\" right_margin=\"4\" "
                              "top_margin=\"4\" bottom_margin=\"4\"/>\n"
                              "  <SENSOR id=\"TOVIRAY\"/>\n</SETTINGS>\n";

// Each step once when it starts and once when it completes.
std::int32_t PrintProgress(const char* text, std::int32_t kind, std::int32_t percent) {
    static std::string last;
    if (kind != 999 && (last != text || percent == 100))
        std::printf("  %s %d%%\n", text, percent);
    last = text;
    return 0;
}

// Samples of full scale are black: the grey level falls as the value rises.
std::vector<std::uint8_t> GreyBitmap(const RawFrame& frame, std::uint32_t fullScale) {
    const std::uint32_t rowBytes = (frame.width + 3) / 4 * 4;
    const std::uint32_t height = static_cast<std::uint32_t>(frame.height);
    const std::uint32_t pixelBytes = rowBytes * height;
    const std::uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<std::uint8_t> bmp(offset + pixelBytes, 0);
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bmp.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, frame.width);
    put32(22, height);
    bmp[26] = 1;
    bmp[28] = 8;
    put32(34, pixelBytes);
    put32(38, static_cast<std::uint32_t>(frame.resolutionX * 10000 / 254));
    put32(42, static_cast<std::uint32_t>(frame.resolutionY * 10000 / 254));
    put32(46, 256);
    for (std::uint32_t i = 0; i < 256; ++i)
        put32(54 + 4 * i, i * 0x010101);
    // Stored row 0 is the picture's bottom row, as in a bottom-up DIB.
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < frame.width; ++x)
            bmp[offset + y * rowBytes + x] = static_cast<std::uint8_t>(
                255 - (frame.Pixel(x, y) * 255 + fullScale / 2) / fullScale);
    return bmp;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    CKSPBufferedFile file;
    return file.OpenWrite(path) &&
           file.WriteBytes(bytes.data(), static_cast<int>(bytes.size())) ==
               static_cast<int>(bytes.size()) &&
           file.CloseFile();
}

std::string DirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

int main(int argc, char** argv) {
    std::string output = argc > 1 ? argv[1] : "capture.bmp";
    std::string sensorId = argc > 2 ? argv[2] : "";
    bool binned = argc > 3 && std::strcmp(argv[3], "binned") == 0;

    auto host = std::make_shared<StaticDeviceHost>();
    host->dataDirectory = DirectoryOf(output) + "\\ToviData";
    ksp::CreateDirectoryTree(host->dataDirectory);
    std::vector<std::uint8_t> settings(kSettings, kSettings + std::strlen(kSettings));
    if (!WriteBytes(host->dataDirectory + "\\settings.xml", settings) ||
        !host->settings.Load(host->dataDirectory)) {
        std::fprintf(stderr, "settings: %s\n", LastErrorText().c_str());
        return 1;
    }
    platform::SetClock(std::make_shared<platform::VirtualClock>());
    auto driver = std::make_shared<simulator::SimulatedDriver>();
    platform::SetUsbDriver(driver);
    DeviceRef device = MakeSimulatedDevice(*driver, sensorId, PrintProgress, host);
    std::unique_ptr<RawFrame> frame;
    std::int32_t status = device->Open();
    if (status == kDeviceOk && binned)
        status = device->SetProperty("binned", "true");
    if (status == kDeviceOk)
        status = device->CaptureImage();
    if (status == kDeviceOk)
        status = device->GetImage(frame);
    device->Close();
    if (status != kDeviceOk) {
        std::fprintf(stderr, "capture failed (%d): %s\n", status, LastErrorText().c_str());
        return 1;
    }
    // ToviRay images carry 16-bit samples, the 2000 series' 12-bit ones.
    const std::uint32_t fullScale = device->ProcessingFamily() == 1 ? 65535 : 4095;
    const std::string id = device->SensorId();
    device = DeviceRef();
    platform::SetUsbDriver(nullptr);
    if (!WriteBytes(output, GreyBitmap(*frame, fullScale))) {
        std::fprintf(stderr, "could not write %s\n", output.c_str());
        return 1;
    }
    std::printf("sensor %s: %u x %d pixels at %d dpi, written to %s\n", id.c_str(), frame->width,
                frame->height, frame->resolutionX, output.c_str());
    return 0;
}
