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

// The rows of a run, handed out in chunks from a shared counter: a thread that
// the scheduler holds back keeps at most one chunk from the others, so a busy
// machine slows the run by the work and not by the wait for a fixed band.
class Chunks {
public:
    Chunks(std::uint32_t rows, std::uint32_t minimumBand);
    unsigned Threads() const { return threads_; }
    // The next chunk [begin, end); false when every row has been handed out.
    bool Take(std::uint32_t& begin, std::uint32_t& end) {
        begin = next_.load(std::memory_order_relaxed);
        do {
            if (begin >= rows_)
                return false;
            end = rows_ - begin < size_ ? rows_ : begin + size_;
        } while (!next_.compare_exchange_weak(begin, end, std::memory_order_relaxed));
        return true;
    }

private:
    std::uint32_t rows_;
    unsigned threads_;
    std::uint32_t size_;
    std::atomic<std::uint32_t> next_{0};
};

// The rows shared by the threads of one run: stop and failure flags and the
// count of rows done for progress.
struct Run {
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> aborted{false};
    std::atomic<std::uint32_t> done{0};

    template <typename Row> void Rows(Chunks& chunks, Row& row) {
        try {
            std::uint32_t begin = 0, end = 0;
            while (!stop && chunks.Take(begin, end)) {
                for (std::uint32_t y = begin; y < end && !stop; ++y) {
                    row(y);
                    ++done;
                }
            }
        } catch (...) {
            failed = true;
            stop = true;
        }
    }

    // The calling thread's rows: Escape is polled and progress (first + rows
    // done) / divisor reported after each row.
    template <typename Row>
    void PolledRows(Chunks& chunks, Row& row, ProgressCallback progress, std::uint32_t first,
                    std::uint32_t divisor) {
        try {
            std::uint32_t begin = 0, end = 0;
            while (!stop && chunks.Take(begin, end)) {
                for (std::uint32_t y = begin; y < end && !stop; ++y) {
                    row(y);
                    ++done;
                    if (EscapeAbort::PollAbort()) {
                        aborted = true;
                        stop = true;
                        break;
                    }
                    Report(progress, first, divisor);
                }
            }
            // Where the helpers took the last chunks, the rows done so far.
            if (!stop)
                Report(progress, first, divisor);
        } catch (...) {
            failed = true;
            stop = true;
        }
    }

    bool Succeeded() const { return !aborted && !failed; }

private:
    void Report(ProgressCallback progress, std::uint32_t first, std::uint32_t divisor) const {
        if (progress != nullptr)
            progress(static_cast<double>(first + done) / divisor);
    }
};

// Starts body() on count - 1 helper threads; the calling thread is the
// count-th. A helper that cannot start leaves its rows to the others.
template <typename Body> std::vector<std::thread> StartHelpers(unsigned count, Body& body) {
    std::vector<std::thread> threads;
    try {
        for (unsigned helper = 1; helper < count; ++helper)
            threads.push_back(StartHelper(body));
    } catch (...) { // fewer threads take the rows
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

// Runs a row operation over the rows on every core, in chunks. The calling
// thread takes chunks too and, after each of its rows, polls for Escape and
// reports progress (first + rows done) / divisor, by default rows done / height.
// makeWorker() gives each thread a callable worker(y), for rows in any order,
// with its own work space. False on abort or when a worker failed.
template <typename MakeWorker>
bool ForEachRowInChunks(std::uint32_t height, std::uint32_t minimumBand, ProgressCallback progress,
                        MakeWorker makeWorker, std::uint32_t first = 0, std::uint32_t divisor = 0) {
    row_bands::Chunks chunks(height, minimumBand);
    row_bands::Run run;
    auto body = [&] {
        try {
            auto worker = makeWorker();
            run.Rows(chunks, worker);
        } catch (...) {
            run.failed = true;
            run.stop = true;
        }
    };
    std::vector<std::thread> threads = row_bands::StartHelpers(chunks.Threads(), body);
    try {
        auto worker = makeWorker();
        run.PolledRows(chunks, worker, progress, first, divisor == 0 ? height : divisor);
    } catch (...) {
        run.failed = true;
        run.stop = true;
    }
    row_bands::Join(threads);
    return run.Succeeded();
}

// Two passes over the rows on the same threads, for operations that must see
// every row before changing any: the threads share out firstPass(y); when all
// are done, between() runs once on the calling thread, then they share out
// secondPass(y). The calling thread polls for Escape and reports progress
// rows done / (2 x height) in the first pass and (height + rows done) /
// (2 x height) in the second. False on abort or failure.
template <typename FirstPass, typename Between, typename SecondPass>
bool ForEachRowInTwoPasses(std::uint32_t height, std::uint32_t minimumBand,
                           ProgressCallback progress, FirstPass firstPass, Between between,
                           SecondPass secondPass) {
    row_bands::Chunks firstChunks(height, minimumBand), secondChunks(height, minimumBand);
    row_bands::Run one, two;
    row_bands::Rendezvous meeting;
    auto body = [&] {
        one.Rows(firstChunks, firstPass);
        meeting.Arrive();
        meeting.WaitForRelease();
        if (!two.stop)
            two.Rows(secondChunks, secondPass);
    };
    std::vector<std::thread> threads = row_bands::StartHelpers(firstChunks.Threads(), body);
    one.PolledRows(firstChunks, firstPass, progress, 0, 2 * height);
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
    two.PolledRows(secondChunks, secondPass, progress, height, 2 * height);
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
