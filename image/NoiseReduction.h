#pragma once

#include <cstdint>
#include <memory>

#include "image/EscapeAbort.h"
#include "image/Image16.h"

// Median of the five-sample cross; the outermost rows and columns are kept.
std::unique_ptr<CKIPImage16Bit> FastMedian(const CKIPImage16Bit* image,
                                           ProgressCallback progress = nullptr);
// Median of the k x k window with border replication.
std::unique_ptr<CKIPImage16Bit> MedianFilter(const CKIPImage16Bit* image, std::uint32_t k,
                                             ProgressCallback progress = nullptr);
