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

} // namespace row_bands
