#include "image/RowBands.h"

namespace row_bands {

namespace {
std::atomic<unsigned> threadLimit{0};
} // namespace

void LimitThreads(unsigned count) {
    threadLimit = count;
}

unsigned ThreadCount() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned limit = threadLimit;
    return limit == 0 ? cores : std::min(cores, limit);
}

Chunks::Chunks(std::uint32_t rows, std::uint32_t minimumBand) : rows_(rows) {
    threads_ = std::max(1u, std::min<unsigned>(ThreadCount(), rows / std::max(1u, minimumBand)));
    // A few dozen chunks: small enough to even out threads the scheduler holds
    // back, large enough that the workers' row caches stay warm.
    constexpr std::uint32_t kChunksPerThread = 16;
    constexpr std::uint32_t kSmallestChunk = 8;
    const std::uint32_t perThread = threads_ == 1 ? 1 : kChunksPerThread;
    const std::uint64_t parts = std::uint64_t{threads_} * perThread;
    size_ = std::max<std::uint32_t>(threads_ == 1 ? 1 : kSmallestChunk,
                                    static_cast<std::uint32_t>((rows + parts - 1) / parts));
}

} // namespace row_bands
