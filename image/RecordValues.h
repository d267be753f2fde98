#pragma once

#include <cstdint>
#include <memory>

#include "image/Image16.h"

// The option record holds mask sizes and factors as signed values and the
// filters take unsigned ones: a negative value would become a huge one. It is
// no valid input, so the filter gives no image and the chain keeps its own.
template <typename Filter>
std::unique_ptr<CKIPImage16Bit> WithRecordValues(std::int32_t cols, std::int32_t rows,
                                                 std::int32_t factor, Filter filter) {
    if (cols < 0 || rows < 0 || factor < 0)
        return nullptr;
    return filter(static_cast<std::uint32_t>(cols), static_cast<std::uint32_t>(rows),
                  static_cast<std::uint32_t>(factor));
}
