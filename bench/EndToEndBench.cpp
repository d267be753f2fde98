// A capture from the sensor reporting its exposure to the packed DIB in the
// host's hands, for the largest sensor of each family, on a simulated sensor
// in virtual time (the protocol's waits cost nothing, the read-out is as fast
// as the simulator delivers). Each stage is timed from the progress texts the
// device and the hand-off send; the peak of the heap above what was held when
// the frames had arrived is the processing's memory.
//
//   endtoend_bench [captures]   the table on one thread and on every core, then
//                               the processing on a machine with a competing
//                               process on every core, at the normal priority
//                               and at the capture worker's

#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "hardware/DeviceStatus.h"
#include "hardware/StaticDeviceHost.h"
#include "image/RowBands.h"
#include "platform/Clock.h"
#include "platform/GlobalMemory.h"
#include "plugin/CaptureResult.h"
#include "plugin/ImageHandOff.h"
#include "plugin/SensorOptions.h"
#include "simulator/SimulatedDriver.h"
#include "tools/common/SimulatedDevice.h"

// The heap in use and its peak, through every form of operator new.
namespace heap {
std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void* Take(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        return nullptr;
    const std::size_t now = inUse += malloc_usable_size(block);
    std::size_t high = peak;
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
    return block;
}
void Give(void* block) {
    if (block == nullptr)
        return;
    inUse -= malloc_usable_size(block);
    std::free(block);
}
void ResetPeak() {
    peak = inUse.load();
}
} // namespace heap

void* operator new(std::size_t size) {
    if (void* block = heap::Take(size))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return heap::Take(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return heap::Take(size);
}
void operator delete(void* block) noexcept {
    heap::Give(block);
}
void operator delete[](void* block) noexcept {
    heap::Give(block);
}
void operator delete(void* block, std::size_t) noexcept {
    heap::Give(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    heap::Give(block);
}

namespace {

using Clock = std::chrono::steady_clock;

// The stage each progress text ends; texts not listed end none.
const std::map<std::string, std::string> kStageEnds = {
    {"Preparing Image ....", "copy, invert, levels"},
    {"Preparing Image .....", "brightness, contrast, gamma"},
    {"Smoothing Image ......", "median"},
    {"Sharpening Image .......", "smoothing"},
    {"Laplacing Image .......", "sharpening"},
    {"Normalize...", "Laplace"},
    {"Orienting Image ...", "normalise, calibration, 8 bits, label"},
};

struct Mark {
    std::string stage;
    Clock::time_point at;
};

// The marks of the capture under way (the device's callback is a plain function).
struct Timeline {
    std::vector<Mark> marks;
    Clock::time_point exposure;
    std::size_t heapAtFrames = 0;

    void End(const std::string& stage) { marks.push_back({stage, Clock::now()}); }
};
Timeline timeline;

std::int32_t OnDeviceProgress(const char* text, std::int32_t kind, std::int32_t percent) {
    const std::string message = text;
    if (message == "Exposure detected.") {
        timeline.marks.clear();
        timeline.exposure = Clock::now();
    } else if (message == "Downloading image." && kind == 4 && percent == 100) {
        timeline.End("read-out of both frames");
        timeline.heapAtFrames = heap::inUse;
        heap::ResetPeak();
    }
    return 0;
}

struct Sensor {
    const char* name;
    const char* sensorId;
};
const Sensor kSensors[] = {
    {"2000 class D", "XCCD0100D"},
    {"2000+ class D", "XCCD010XD"},
    {"ToviRay D", "TR2S0042D"},
};

// One simulated sensor opened at the device level, in virtual time.
class Bench {
public:
    explicit Bench(const Sensor& sensor) {
        host_->dataDirectory = DataDirectory();
        host_->settings.Load(host_->dataDirectory);
        platform::SetClock(std::make_shared<platform::VirtualClock>());
        platform::SetUsbDriver(driver_);
        device_ = MakeSimulatedDevice(*driver_, sensor.sensorId, OnDeviceProgress, host_);
        ok_ = device_->Open() == kDeviceOk;
    }
    ~Bench() {
        device_->Close();
        device_ = DeviceRef();
        platform::SetUsbDriver(nullptr);
    }
    bool Ok() const { return ok_; }

    // One capture; false when it failed.
    bool Capture() {
        if (device_->CaptureImage() != kDeviceOk)
            return false;
        std::unique_ptr<RawFrame> frame;
        if (device_->GetImage(frame) != kDeviceOk)
            return false;
        timeline.End("dark, offsets, defects, FPN");
        frameBytes_ = 2 * std::size_t{frame->width} * static_cast<std::size_t>(frame->height);
        HandOffRequest request;
        request.family = device_->ProcessingFamily();
        request.permanentTeeth = 1u << 7; // an anterior tooth: turned by 180 degrees
        request.options = &options_;
        request.labels = &labels_;
        request.sendProcessing = [](const std::string& text) {
            if (auto stage = kStageEnds.find(text); stage != kStageEnds.end())
                timeline.End(stage->second);
        };
        CaptureResult result;
        if (!ProcessBitmapToImage(std::move(frame), request, result.Images()))
            return false;
        timeline.End("orientation");
        platform::GlobalHandle dib = result.CreatePackedDIB();
        timeline.End("packed DIB");
        platform::GlobalFreeBlock(dib);
        return dib != nullptr;
    }
    std::size_t FrameBytes() const { return frameBytes_; }

private:
    static std::string DataDirectory() {
        const auto directory = std::filesystem::temp_directory_path() / "tovi-endtoend-bench";
        std::filesystem::create_directories(directory);
        std::filesystem::copy_file(TOVI_RESOURCES "/settings.xml", directory / "settings.xml",
                                   std::filesystem::copy_options::overwrite_existing);
        return directory.string();
    }

    std::shared_ptr<StaticDeviceHost> host_ = std::make_shared<StaticDeviceHost>();
    std::shared_ptr<simulator::SimulatedDriver> driver_ =
        std::make_shared<simulator::SimulatedDriver>();
    DeviceRef device_;
    SensorOptions options_;
    LabelBitmaps labels_;
    bool ok_ = false;
    std::size_t frameBytes_ = 0;
};

double Milliseconds(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The medians of the stages and of the whole over a number of captures.
struct Figures {
    std::vector<std::string> stages;
    std::map<std::string, std::vector<double>> times;
    std::vector<double> totals;
    std::vector<double> processing; // from the frames' arrival to the DIB
    double peakFrames = 0;
};

bool Measure(const Sensor& sensor, int captures, Figures& figures) {
    Bench bench(sensor);
    if (!bench.Ok())
        return false;
    for (int i = -2; i < captures; ++i) { // two captures to warm up
        if (!bench.Capture())
            return false;
        if (i < 0)
            continue;
        Clock::time_point previous = timeline.exposure;
        for (const Mark& mark : timeline.marks) {
            if (figures.times.find(mark.stage) == figures.times.end())
                figures.stages.push_back(mark.stage);
            figures.times[mark.stage].push_back(Milliseconds(mark.at - previous));
            previous = mark.at;
        }
        figures.totals.push_back(Milliseconds(previous - timeline.exposure));
        figures.processing.push_back(Milliseconds(previous - timeline.marks.front().at));
        const double above = static_cast<double>(heap::peak - timeline.heapAtFrames);
        figures.peakFrames = std::max(figures.peakFrames, above / bench.FrameBytes());
    }
    return true;
}

void PrintTable(const Sensor& sensor, const Figures& figures) {
    const double total = Median(figures.totals);
    std::printf("%s: %.1f ms from the exposure to the DIB (median), peak heap during processing "
                "%.2f full 16-bit frames\n",
                sensor.name, total, figures.peakFrames);
    for (const std::string& stage : figures.stages) {
        const double ms = Median(figures.times.at(stage));
        std::printf("  %-40s %8.2f ms %5.1f %%\n", stage.c_str(), ms, 100 * ms / total);
    }
}

// A process spinning on every core until it is killed.
std::vector<pid_t> StartCompetitors() {
    std::vector<pid_t> children;
    for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i) {
        const pid_t child = fork();
        if (child == 0) {
            setpriority(PRIO_PROCESS, 0, 0); // a normal process, whatever this thread's priority
            volatile unsigned long spin = 0;
            for (;;)
                spin = spin + 1;
        }
        if (child > 0)
            children.push_back(child);
    }
    return children;
}

void StopCompetitors(const std::vector<pid_t>& children) {
    for (pid_t child : children) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}

// Processing quiet and then with a competing process on every core.
bool BusyMachine(int captures, unsigned cores, const char* priority) {
    std::printf("== processing (frames to DIB) with a competing process on each of %u cores, %s\n",
                cores, priority);
    for (const Sensor& sensor : kSensors) {
        Figures quiet, busy;
        bool ok = Measure(sensor, captures, quiet);
        const std::vector<pid_t> competitors = StartCompetitors();
        ok = ok && Measure(sensor, captures, busy);
        StopCompetitors(competitors);
        if (!ok)
            return false;
        const double alone = Median(quiet.processing), shared = Median(busy.processing);
        std::printf("%-14s quiet %7.1f ms  busy %7.1f ms  stretch %.2f (the work itself: 2.00)\n",
                    sensor.name, alone, shared, shared / alone);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int captures = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned threads : {1u, cores}) {
        row_bands::LimitThreads(threads);
        std::printf("== %u thread%s\n", threads, threads == 1 ? "" : "s");
        for (const Sensor& sensor : kSensors) {
            Figures figures;
            if (!Measure(sensor, captures, figures)) {
                std::printf("%s: the capture failed\n", sensor.name);
                return 1;
            }
            PrintTable(sensor, figures);
        }
    }
    row_bands::LimitThreads(0);
    // Under Windows the capture worker runs time-critical and its helpers at its
    // priority, ahead of any normal process; natively the nearest is the
    // highest nice value, which needs the right to raise it. Helpers inherit it.
    if (!BusyMachine(captures, cores, "at the normal priority (a fair share of each core)"))
        return 1;
    if (setpriority(PRIO_PROCESS, 0, -20) != 0) {
        std::printf("== the capture worker's priority: not permitted here (%s)\n",
                    std::strerror(errno));
        return 0;
    }
    const bool ok = BusyMachine(captures, cores, "at the capture worker's priority (nice -20)");
    setpriority(PRIO_PROCESS, 0, 0);
    return ok ? 0 : 1;
}
