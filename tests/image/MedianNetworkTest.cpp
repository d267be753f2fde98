#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "image/MedianNetworks.h"

namespace {

template <std::size_t N, std::size_t M>
void Apply(const Exchange (&network)[N], std::array<int, M>& values) {
    for (const Exchange& e : network) {
        ASSERT_LT(e.high, M);
        if (values[e.low] > values[e.high])
            std::swap(values[e.low], values[e.high]);
    }
}

} // namespace

// A comparator network selects a rank for every input if it does for every input
// of zeros and ones (respecting the network's preconditions).
TEST(MedianNetworks, FiveAreSortedForEveryInputOfZerosAndOnes) {
    for (unsigned bits = 0; bits < 32; ++bits) {
        std::array<int, 5> values;
        for (unsigned i = 0; i < 5; ++i)
            values[i] = (bits >> i) & 1;
        Apply(kSortFive, values);
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << bits;
    }
}

TEST(MedianNetworks, MedianOfSortedColumnsForEveryInputOfZerosAndOnes) {
    // Column c holds zeros[c] zeros and then ones, as a sorted column does.
    std::array<int, 5> zeros{};
    for (int combination = 0; combination < 6 * 6 * 6 * 6 * 6; ++combination) {
        int rest = combination, zeroCount = 0;
        for (int& count : zeros) {
            count = rest % 6;
            rest /= 6;
            zeroCount += count;
        }
        std::array<int, 25> values;
        for (int c = 0; c < 5; ++c)
            for (int r = 0; r < 5; ++r)
                values[5 * c + r] = r < zeros[c] ? 0 : 1;
        Apply(kMedianOfSortedFives, values);
        ASSERT_EQ(values[12], zeroCount > 12 ? 0 : 1) << combination;
    }
}
