#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <thread>
#include <vector>

#include "image/EscapeAbort.h"

// Runs a row operation over bands of rows on every core. The calling thread
// takes the first band and, after each of its rows, polls for Escape and
// reports progress (first + rows done) / divisor, by default rows done / height;
// the other bands run on worker threads. makeWorker() gives each thread a
// callable worker(y) with its own work space. False on abort or when a worker failed.
template <typename MakeWorker>
bool ForEachRowInBands(std::uint32_t height, std::uint32_t minimumBand, ProgressCallback progress,
                       MakeWorker makeWorker, std::uint32_t first = 0, std::uint32_t divisor = 0) {
    if (divisor == 0)
        divisor = height;
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    unsigned bands = std::max(1u, std::min<unsigned>(cores, height / std::max(1u, minimumBand)));
    std::uint32_t bandRows = (height + bands - 1) / bands;
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    std::atomic<std::uint32_t> done{0};
    auto runBand = [&](unsigned band) {
        try {
            auto worker = makeWorker();
            std::uint32_t end = std::min(height, (band + 1) * bandRows);
            for (std::uint32_t y = band * bandRows; y < end && !stop; ++y) {
                worker(y);
                ++done;
            }
        } catch (...) {
            failed = true;
            stop = true;
        }
    };
    std::vector<std::thread> workers;
    try {
        for (unsigned band = 1; band < bands; ++band)
            workers.emplace_back(runBand, band);
    } catch (...) {
        stop = true;
        failed = true;
    }
    bool aborted = false;
    try {
        auto worker = makeWorker();
        for (std::uint32_t y = 0; y < std::min(height, bandRows) && !stop; ++y) {
            worker(y);
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
    for (std::thread& worker : workers)
        worker.join();
    return !aborted && !failed;
}

// Runs work(i) for i in 0 ... count - 1 split over the cores, without polling
// for Escape (for tables built before a pass). Exceptions of workers are
// rethrown on the calling thread.
template <typename Work>
void ParallelFor(std::uint32_t count, std::uint32_t minimumShare, Work work) {
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
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
        workers.emplace_back(runShare, share);
    runShare(0);
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& error : errors) {
        if (error)
            std::rethrow_exception(error);
    }
}
