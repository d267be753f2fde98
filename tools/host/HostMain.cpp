// tovi-host: a host application on the command line. It loads the plug-in as
// a host does and drives it through its exports only; `replay` runs a raw
// dump through the capture's own hand-off code.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/host/DibFiles.h"
#include "tools/host/HostArguments.h"
#include "tools/host/HostPlugin.h"
#include "tools/host/OptionFields.h"
#include "tools/host/Replay.h"
#include "tools/host/SensorList.h"
#include "tools/host/StatusProgress.h"
#if !defined(_WIN32)
#include "tools/host/DicomFile.h"
#endif

namespace {

bool EndsWith(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "tovi-host: %s\n", message.c_str());
    return 1;
}

// The image by the file's extension; the DICOM file needs the capture's description.
bool SaveImage(const std::string& path, const std::vector<std::uint8_t>& dib,
               const std::vector<std::uint8_t>& description, const std::string& teeth,
               std::string& error) {
    if (EndsWith(path, ".png"))
        return WritePngFile(path, dib, error);
    if (EndsWith(path, ".dcm")) {
        if (description.empty()) {
            error = "DICOM files come from captures";
            return false;
        }
#if defined(_WIN32)
        (void)description;
        (void)teeth;
        error = "DICOM files are written by the native build";
        return false;
#else
        return WriteDicomFile(path, dib, description, teeth, error);
#endif
    }
    return WriteBmpFile(path, dib, error);
}

// "out.png" for one capture, "out-1.png", "out-2.png" ... for a series.
std::string SeriesPath(const std::string& path, int index, int count) {
    if (count == 1)
        return path;
    const std::size_t dot = path.rfind('.');
    const std::size_t stem = dot == std::string::npos ? path.size() : dot;
    return path.substr(0, stem) + "-" + std::to_string(index) + path.substr(stem);
}

void PrintDescription(const std::vector<std::uint8_t>& record) {
    for (const DescriptionField& field : DescriptionFields())
        std::printf("  %-16s %s\n", field.name, DescriptionText(record, field).c_str());
}

class Host {
public:
    explicit Host(const HostArguments& arguments) : arguments_(arguments) {}

    int Run() {
        std::string error;
        if (!plugin_.Load(arguments_.plugin, error))
            return Fail(error);
        Mount();
        const int result = Dispatch();
        plugin_.PreUnmount();
        return result;
    }

private:
    void Mount() {
        plugin_.SetDirectories(arguments_.dataDirectory);
        plugin_.SetMainWindow(nullptr);
        plugin_.SetCallbacks(&StatusProgress::OnStatus, nullptr, arguments_.sensorNumber);
        if (!arguments_.recordFile.empty())
            plugin_.SetOptions(ReadFile(arguments_.recordFile));
        plugin_.PostMount();
    }

    int Dispatch() {
        const std::string& command = arguments_.command;
        if (command == "info")
            return Info();
        if (command == "list") {
            ListSensors(plugin_);
            return 0;
        }
        if (command == "capture")
            return Capture();
        if (command == "options" || command == "configure")
            return Dialog(command == "configure");
        if (command == "reorient")
            return Reorient();
        return Fail("unknown command " + command);
    }

    int Info() {
        std::printf("interface version: 0x%08X\n", static_cast<unsigned>(plugin_.Version()));
        std::printf("sensor: %s\n", plugin_.SensorDefinition().c_str());
        std::printf("option record:\n");
        PrintOptionRecord(plugin_.Options());
        return 0;
    }

    int Capture() {
        if (arguments_.output.empty())
            return Fail("capture needs --out FILE");
        const bool series = arguments_.count > 1;
        if (series)
            plugin_.GroupStarted();
        int result = 0;
        for (int index = 1; index <= arguments_.count && result == 0; ++index)
            result = CaptureOne(SeriesPath(arguments_.output, index, arguments_.count));
        if (series)
            plugin_.GroupEnded();
        return result;
    }

    int CaptureOne(const std::string& path) {
        std::printf("%d-bit capture for teeth %s\n", arguments_.bits,
                    TeethText(arguments_.permanentTeeth, arguments_.primaryTeeth).c_str());
        const std::vector<std::uint8_t> dib = plugin_.Capture(
            arguments_.bits == 16, arguments_.permanentTeeth, arguments_.primaryTeeth);
        StatusProgress::Finish();
        if (dib.empty())
            return Fail("no image: " + plugin_.ErrorMessage());
        const std::vector<std::uint8_t> description = plugin_.DicomInfo();
        PrintDescription(description);
        std::string error;
        if (!SaveImage(path, dib, description,
                       TeethText(arguments_.permanentTeeth, arguments_.primaryTeeth), error))
            return Fail(error);
        DibLayout layout;
        ParseDib(dib, layout, error);
        std::printf("wrote %s (%d x %d, %d bits)\n", path.c_str(), layout.width, layout.height,
                    layout.bitCount);
        return 0;
    }

    int Dialog(bool configuration) {
        bool confirmed = true;
        if (configuration)
            confirmed = plugin_.DisplayConfiguration();
        else
            plugin_.DisplayOptions();
        std::printf("sensor: %s\n", plugin_.SensorDefinition().c_str());
        if (!confirmed)
            return Fail("the selection was cancelled");
        if (!arguments_.recordFile.empty()) {
            if (!WriteFile(arguments_.recordFile, plugin_.Options()))
                return Fail("cannot write " + arguments_.recordFile);
            std::printf("saved the option record in %s\n", arguments_.recordFile.c_str());
        }
        return 0;
    }

    int Reorient() {
        std::vector<std::uint8_t> dib;
        std::string error;
        if (arguments_.output.empty() || !ReadBmpFile(arguments_.input, dib, error))
            return Fail(arguments_.output.empty() ? "reorient needs --in and --out" : error);
        DibLayout layout;
        ParseDib(dib, layout, error);
        const std::vector<std::uint8_t> turned = plugin_.Reorient(
            dib, layout.bitCount == 16, arguments_.permanentTeeth, arguments_.primaryTeeth,
            arguments_.newPermanentTeeth, arguments_.newPrimaryTeeth);
        if (turned.empty())
            return Fail("no image: " + plugin_.ErrorMessage());
        if (!SaveImage(arguments_.output, turned, {}, {}, error))
            return Fail(error);
        std::printf("wrote %s\n", arguments_.output.c_str());
        return 0;
    }

    const HostArguments& arguments_;
    HostPlugin plugin_;
};

int Replay(const HostArguments& arguments) {
    ReplayRequest request;
    request.dumpPath = arguments.input;
    request.family = arguments.family;
    request.sixteenBit = arguments.bits == 16;
    request.permanentTeeth = arguments.permanentTeeth;
    request.primaryTeeth = arguments.primaryTeeth;
    if (!arguments.recordFile.empty())
        request.options = ReadFile(arguments.recordFile);
    std::vector<std::uint8_t> dib;
    std::string error;
    if (arguments.output.empty())
        return Fail("replay needs --in DUMP and --out FILE");
    if (!ReplayDump(request, dib, error) || !SaveImage(arguments.output, dib, {}, {}, error))
        return Fail(error);
    std::printf("wrote %s\n", arguments.output.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    HostArguments arguments;
    arguments.plugin = TOVI_HOST_DEFAULT_PLUGIN;
    std::string error;
    if (!ParseHostArguments(std::vector<std::string>(argv + 1, argv + argc), arguments, error)) {
        std::fprintf(stderr, "tovi-host: %s\n%s", error.c_str(), kHostUsage);
        return 2;
    }
    if (arguments.command == "replay")
        return Replay(arguments);
    if (arguments.command == "list")
        PrepareSensorList();
    return Host(arguments).Run();
}
