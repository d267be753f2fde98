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
template <typename Body> std::thread StartHelper(Body& body) {
    const int priority = platform::CurrentThreadPriority();
    return std::thread([&body, priority] {
        platform::SetCurrentThreadPriority(priority);
        body();
    });
}

// Rows begin ... end - 1; none when begin == end.
struct Chunk {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

// The rows of a run, handed out in chunks from a shared counter: a thread that
// the scheduler holds back keeps at most one chunk from the others, so a busy
// machine slows the run by the work and not by the wait for a fixed band.
class Chunks {
public:
    Chunks(std::uint32_t rows, std::uint32_t minimumBand);
    unsigned Threads() const { return threads_; }
    // The next chunk; false when every row has been handed out.
    bool Take(Chunk& chunk) {
        std::uint32_t begin = next_.load(std::memory_order_relaxed);
        std::uint32_t end = 0;
        do {
            if (begin >= rows_)
                return false;
            end = rows_ - begin < size_ ? rows_ : begin + size_;
        } while (!next_.compare_exchange_weak(begin, end, std::memory_order_relaxed));
        chunk = {begin, end};
        return true;
    }

private:
    std::uint32_t rows_;
    unsigned threads_;
    std::uint32_t size_;
    std::atomic<std::uint32_t> next_{0};
};

// The rows shared by the threads of one run: stop and failure flags, the first
// failure's exception and the count of rows done for progress.
struct Run {
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> aborted{false};
    std::atomic<std::uint32_t> done{0};
    std::exception_ptr error; // read once every thread has stopped

    // Called from a catch block: stops the run and keeps the first exception.
    void Fail() {
        std::lock_guard<std::mutex> lock(guard_);
        if (!error)
            error = std::current_exception();
        failed = true;
        stop = true;
    }

    template <typename Row> void Rows(Chunks& chunks, Row& row) {
        try {
            Chunk chunk;
            while (!stop && chunks.Take(chunk)) {
                for (std::uint32_t y = chunk.begin; y < chunk.end && !stop; ++y) {
                    row(y);
                    ++done;
                }
            }
        } catch (...) {
            Fail();
        }
    }

    // The calling thread's rows, from the chunk it took before the helpers
    // started, so it polls for Escape however quick they are; progress (first +
    // rows done) / divisor is reported after each row.
    template <typename Row>
    void PolledRows(Chunks& chunks, Chunk chunk, Row& row, ProgressCallback progress,
                    std::uint32_t first, std::uint32_t divisor) {
        try {
            do {
                for (std::uint32_t y = chunk.begin; y < chunk.end && !stop; ++y) {
                    row(y);
                    ++done;
                    if (EscapeAbort::PollAbort()) {
                        aborted = true;
                        stop = true;
                        break;
                    }
                    Report(progress, first, divisor);
                }
            } while (!stop && chunks.Take(chunk));
            // Where the helpers took the last chunks, the rows done so far.
            if (!stop)
                Report(progress, first, divisor);
        } catch (...) {
            Fail();
        }
    }

    bool Succeeded() const { return !aborted && !failed; }

private:
    void Report(ProgressCallback progress, std::uint32_t first, std::uint32_t divisor) const {
        if (progress != nullptr)
            progress(static_cast<double>(first + done) / divisor);
    }
    std::mutex guard_;
};

// Starts body() on count - 1 helper threads; the calling thread is the
// count-th. A helper that cannot start leaves its rows to the others.
template <typename Body> std::vector<std::thread> StartHelpers(unsigned count, Body& body) {
    std::vector<std::thread> threads;
    try {
        // Reserved first: a vector that grew after a thread started would lose
        // it to std::terminate when growing failed.
        threads.reserve(count - 1);
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
    if (height == 0)
        return true;
    row_bands::Chunks chunks(height, minimumBand);
    row_bands::Chunk mine;
    chunks.Take(mine);
    row_bands::Run run;
    auto body = [&] {
        try {
            auto worker = makeWorker();
            run.Rows(chunks, worker);
        } catch (...) {
            run.Fail();
        }
    };
    std::vector<std::thread> threads = row_bands::StartHelpers(chunks.Threads(), body);
    try {
        auto worker = makeWorker();
        run.PolledRows(chunks, mine, worker, progress, first, divisor == 0 ? height : divisor);
    } catch (...) {
        run.Fail();
    }
    row_bands::Join(threads);
    return run.Succeeded();
}

// Two passes over the rows on the same threads, for operations that must see
// every row before changing any: the threads share out firstPass(y); when all
// are done, between() runs once on the calling thread, then they share out
// secondPass(y). The calling thread polls for Escape and reports progress
// rows done / (2 x height) in the first pass and (height + rows done) /
// (2 x height) in the second. False on abort or failure; nothing runs for no rows.
template <typename FirstPass, typename Between, typename SecondPass>
bool ForEachRowInTwoPasses(std::uint32_t height, std::uint32_t minimumBand,
                           ProgressCallback progress, FirstPass firstPass, Between between,
                           SecondPass secondPass) {
    if (height == 0)
        return true;
    row_bands::Chunks firstChunks(height, minimumBand), secondChunks(height, minimumBand);
    row_bands::Chunk firstMine, secondMine;
    firstChunks.Take(firstMine);
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
    one.PolledRows(firstChunks, firstMine, firstPass, progress, 0, 2 * height);
    meeting.WaitForArrivals(threads.size());
    try {
        if (one.stop)
            two.stop = true;
        else
            between();
    } catch (...) {
        two.Fail();
    }
    secondChunks.Take(secondMine);
    meeting.Release();
    two.PolledRows(secondChunks, secondMine, secondPass, progress, height, 2 * height);
    row_bands::Join(threads);
    return one.Succeeded() && two.Succeeded();
}

// Runs work(i) for i in 0 ... count - 1 over the cores, without polling for
// Escape (for tables built before a pass). The first exception of any thread
// is rethrown on the calling thread once all have stopped.
template <typename Work>
void ParallelFor(std::uint32_t count, std::uint32_t minimumShare, Work work) {
    row_bands::Chunks chunks(count, minimumShare);
    row_bands::Run run;
    auto body = [&] { run.Rows(chunks, work); };
    std::vector<std::thread> threads = row_bands::StartHelpers(chunks.Threads(), body);
    body();
    row_bands::Join(threads);
    if (run.error)
        std::rethrow_exception(run.error);
}
