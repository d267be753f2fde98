#pragma once

#include <cstdint>

// Comparator networks for the medians, as (low, high) index pairs: after each
// exchange the smaller value is at low.
struct Exchange {
    std::uint8_t low;
    std::uint8_t high;
};

// Sorts five values.
inline constexpr Exchange kSortFive[] = {{0, 1}, {3, 4}, {2, 4}, {2, 3}, {0, 3},
                                         {0, 2}, {1, 4}, {1, 3}, {1, 2}};

// Leaves the median of 25 values at index 12 when each group of five, 5c ... 5c + 4
// (the sorted column c of a 5 x 5 window), is already in order. Batcher's odd-even
// merge sort of 32, with seven largest values after the 25, pruned to the exchanges
// whose outcome is not yet known and which the median depends on
// (scripts/median-network prints it).
inline constexpr Exchange kMedianOfSortedFives[] = {
    {4, 5},   {5, 7},   {5, 6},   {0, 4},   {2, 6},   {2, 4},   {1, 5},   {3, 5},   {1, 2},
    {3, 4},   {5, 6},   {8, 10},  {9, 11},  {9, 10},  {14, 15}, {12, 14}, {13, 14}, {8, 12},
    {10, 14}, {10, 12}, {11, 15}, {11, 13}, {9, 10},  {11, 12}, {13, 14}, {0, 8},   {4, 12},
    {4, 8},   {2, 10},  {6, 14},  {6, 10},  {2, 4},   {6, 8},   {10, 12}, {1, 9},   {5, 13},
    {5, 9},   {3, 11},  {7, 15},  {7, 11},  {3, 5},   {7, 9},   {11, 13}, {1, 2},   {3, 4},
    {5, 6},   {7, 8},   {9, 10},  {11, 12}, {13, 14}, {16, 20}, {18, 22}, {18, 20}, {17, 21},
    {19, 23}, {19, 21}, {17, 18}, {19, 20}, {21, 22}, {20, 24}, {18, 20}, {22, 24}, {21, 22},
    {23, 24}, {0, 16},  {8, 24},  {8, 16},  {4, 20},  {12, 20}, {12, 16}, {2, 18},  {10, 18},
    {6, 22},  {6, 10},  {10, 12}, {1, 17},  {9, 17},  {5, 21},  {13, 21}, {13, 17}, {3, 19},
    {11, 19}, {7, 23},  {7, 11},  {11, 13}, {11, 12}};
