#pragma once

#include <cstdint>
#include <memory>

#include "image/EscapeAbort.h"
#include "image/Image16.h"

std::unique_ptr<CKIPImage16Bit> InvertImage(const CKIPImage16Bit* image,
                                            ProgressCallback progress = nullptr);
std::unique_ptr<CKIPImage16Bit> GammaCorrect(const CKIPImage16Bit* image, double gamma,
                                             ProgressCallback progress = nullptr);
// Percentile stretch: the low and high fractions of the samples (0 and the
// maximum left out) are clipped and the rest spread over the full range.
std::unique_ptr<CKIPImage16Bit> AutoLevel(const CKIPImage16Bit* image, double low, double high,
                                          ProgressCallback progress = nullptr);
bool HasAnteriorTeeth(std::uint32_t permanentTeeth, std::uint32_t primaryTeeth);
std::unique_ptr<CKIPImage16Bit> AdjustBrightnessContrast(const CKIPImage16Bit* image,
                                                         std::int32_t brightness,
                                                         std::int32_t contrast,
                                                         ProgressCallback progress = nullptr);
std::unique_ptr<CKIPImage16Bit> SharpenImage(const CKIPImage16Bit* image, std::uint32_t cols,
                                             std::uint32_t rows, std::uint32_t percent,
                                             ProgressCallback progress = nullptr);
std::unique_ptr<CKIPImage16Bit> LaplaceEnhance(const CKIPImage16Bit* image, std::uint32_t cols,
                                               std::uint32_t rows, std::uint32_t strength,
                                               ProgressCallback progress = nullptr);
// With the option record's signed values: null when one is negative.
std::unique_ptr<CKIPImage16Bit> SharpenImage(const CKIPImage16Bit* image, std::int32_t cols,
                                             std::int32_t rows, std::int32_t percent,
                                             ProgressCallback progress = nullptr);
std::unique_ptr<CKIPImage16Bit> LaplaceEnhance(const CKIPImage16Bit* image, std::int32_t cols,
                                               std::int32_t rows, std::int32_t strength,
                                               ProgressCallback progress = nullptr);
std::unique_ptr<CKIPImage16Bit> NormalizeImage(const CKIPImage16Bit* image,
                                               ProgressCallback progress = nullptr);
// Rescales the stored resolution; the pixels are untouched. A factor that is
// not a positive finite number, or a resolution beyond 32 bits, changes nothing.
void ApplyCalibration(CKIPImage16Bit* image, double factor);

class FilterKernel;
void MakeSharpenKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                       std::uint32_t percent);
void MakeLaplaceKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                       std::uint32_t strength);
