#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "image/EscapeAbort.h"
#include "platform/Thread.h"

namespace row_bands {

// The threads a run may use: every core unless limited (for measurements on
// one core); 0 lifts the limit.
void LimitThreads(unsigned count);
unsigned ThreadCount();

// A helper thread at the priority of the thread that starts it and waits for it.
template <typename Body, typename... Args> std::thread StartHelper(Body& body, Args... args) {
    const int priority = platform::CurrentThreadPriority();
    return std::thread([&body, priority, args...] {
        platform::SetCurrentThreadPriority(priority);
        body(args...);
    });
}

struct Bands {
    unsigned count;
    std::uint32_t rows; // per band
    std::uint32_t Begin(unsigned band) const { return band * rows; }
    std::uint32_t End(unsigned band, std::uint32_t height) const {
        return std::min(height, (band + 1) * rows);
    }
};

inline Bands PlanBands(std::uint32_t height, std::uint32_t minimumBand) {
    unsigned cores = ThreadCount();
    unsigned count = std::max(1u, std::min<unsigned>(cores, height / std::max(1u, minimumBand)));
    return {count, (height + count - 1) / count};
}

// The rows shared by the threads of one run: stop and failure flags and the
// count of rows done for progress.
struct Run {
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> aborted{false};
    std::atomic<std::uint32_t> done{0};

    template <typename Row> void Rows(std::uint32_t begin, std::uint32_t end, Row& row) {
        try {
            for (std::uint32_t y = begin; y < end && !stop; ++y) {
                row(y);
                ++done;
            }
        } catch (...) {
            failed = true;
            stop = true;
        }
    }

    // The calling thread's band: Escape is polled and progress (first + rows
    // done) / divisor reported after each row.
    template <typename Row>
    void PolledRows(std::uint32_t end, Row& row, ProgressCallback progress, std::uint32_t first,
                    std::uint32_t divisor) {
        try {
            for (std::uint32_t y = 0; y < end && !stop; ++y) {
                row(y);
                ++done;
                if (EscapeAbort::PollAbort()) {
                    aborted = true;
                    stop = true;
                    break;
                }
                if (progress != nullptr)
                    progress(static_cast<double>(first + done) / divisor);
            }
        } catch (...) {
            failed = true;
            stop = true;
        }
    }

    bool Succeeded() const { return !aborted && !failed; }
};

// Starts body(band) on a thread for every band but the first; a band whose
// thread cannot start fails the run.
template <typename Body>
std::vector<std::thread> StartBands(const Bands& bands, Run& run, Body& body) {
    std::vector<std::thread> threads;
    try {
        for (unsigned band = 1; band < bands.count; ++band)
            threads.push_back(StartHelper(body, band));
    } catch (...) {
        run.failed = true;
        run.stop = true;
    }
    return threads;
}

// Where the threads of a two-pass run meet between the passes. They block
// instead of spinning, so a caller of higher priority (the capture worker runs
// time-critical) never keeps the helpers it waits for off the cores.
class Rendezvous {
public:
    void Arrive() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++arrived_;
        }
        changed_.notify_all();
    }
    void WaitForArrivals(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return arrived_ >= count; });
    }
    void Release() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
    }
    void WaitForRelease() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return released_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t arrived_ = 0;
    bool released_ = false;
};

inline void Join(std::vector<std::thread>& threads) {
    for (std::thread& thread : threads)
        thread.join();
}

} // namespace row_bands

// Runs a row operation over bands of rows on every core. The calling thread
// takes the first band and, after each of its rows, polls for Escape and
// reports progress (first + rows done) / divisor, by default rows done / height;
// the other bands run on worker threads. makeWorker() gives each thread a
// callable worker(y) with its own work space. False on abort or when a worker failed.
template <typename MakeWorker>
bool ForEachRowInBands(std::uint32_t height, std::uint32_t minimumBand, ProgressCallback progress,
                       MakeWorker makeWorker, std::uint32_t first = 0, std::uint32_t divisor = 0) {
    const row_bands::Bands bands = row_bands::PlanBands(height, minimumBand);
    row_bands::Run run;
    auto body = [&](unsigned band) {
        try {
            auto worker = makeWorker();
            run.Rows(bands.Begin(band), bands.End(band, height), worker);
        } catch (...) {
            run.failed = true;
            run.stop = true;
        }
    };
    std::vector<std::thread> threads = row_bands::StartBands(bands, run, body);
    try {
        auto worker = makeWorker();
        run.PolledRows(bands.End(0, height), worker, progress, first,
                       divisor == 0 ? height : divisor);
    } catch (...) {
        run.failed = true;
        run.stop = true;
    }
    row_bands::Join(threads);
    return run.Succeeded();
}

// Two passes over the rows on the same threads, for operations that must see
// every row before changing any: each thread does its band of firstPass(y);
// when all are done, between() runs once on the calling thread, then each thread does its band of
// secondPass(y). The calling thread polls for Escape and reports progress y / (2 x height) in the
// first pass and (height + y) / (2 x height) in the second. False on abort or failure.
template <typename FirstPass, typename Between, typename SecondPass>
bool ForEachRowInTwoPasses(std::uint32_t height, std::uint32_t minimumBand,
                           ProgressCallback progress, FirstPass firstPass, Between between,
                           SecondPass secondPass) {
    const row_bands::Bands bands = row_bands::PlanBands(height, minimumBand);
    row_bands::Run one, two;
    row_bands::Rendezvous meeting;
    auto body = [&](unsigned band) {
        one.Rows(bands.Begin(band), bands.End(band, height), firstPass);
        meeting.Arrive();
        meeting.WaitForRelease();
        if (!two.stop)
            two.Rows(bands.Begin(band), bands.End(band, height), secondPass);
    };
    std::vector<std::thread> threads = row_bands::StartBands(bands, one, body);
    one.PolledRows(bands.End(0, height), firstPass, progress, 0, 2 * height);
    meeting.WaitForArrivals(threads.size());
    try {
        if (one.stop)
            two.stop = true;
        else
            between();
    } catch (...) {
        two.failed = true;
        two.stop = true;
    }
    meeting.Release();
    two.PolledRows(bands.End(0, height), secondPass, progress, height, 2 * height);
    row_bands::Join(threads);
    return one.Succeeded() && two.Succeeded();
}

// Runs work(i) for i in 0 ... count - 1 split over the cores, without polling
// for Escape (for tables built before a pass). Exceptions of workers are
// rethrown on the calling thread.
template <typename Work>
void ParallelFor(std::uint32_t count, std::uint32_t minimumShare, Work work) {
    unsigned cores = row_bands::ThreadCount();
    unsigned shares = std::max(1u, std::min<unsigned>(cores, count / std::max(1u, minimumShare)));
    std::uint32_t shareSize = (count + shares - 1) / shares;
    std::vector<std::exception_ptr> errors(shares);
    auto runShare = [&](unsigned share) {
        try {
            std::uint32_t end = std::min(count, (share + 1) * shareSize);
            for (std::uint32_t i = share * shareSize; i < end; ++i)
                work(i);
        } catch (...) {
            errors[share] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    for (unsigned share = 1; share < shares; ++share)
        workers.push_back(row_bands::StartHelper(runShare, share));
    runShare(0);
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& error : errors) {
        if (error)
            std::rethrow_exception(error);
    }
}
