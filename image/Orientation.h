#pragma once

#include <cstdint>
#include <memory>

#include "image/EscapeAbort.h"
#include "image/Image.h"
#include "image/Image16.h"
#include "platform/GlobalMemory.h"

// Quarter-turn angle of a tooth set: 0, 90, 180 or 270.
int ToothAngle(std::uint32_t permanentTeeth, std::uint32_t primaryTeeth);
// Brings an angle into 0 ... 360 (360 stays 360).
int NormaliseAngle(int angle);

// Clockwise as displayed; the source is not changed.
std::unique_ptr<CKIPImage> Rotate90(const CKIPImage* source);
std::unique_ptr<CKIPImage> Rotate180(const CKIPImage* source);
std::unique_ptr<CKIPImage> Rotate270(const CKIPImage* source);
std::unique_ptr<CKIPImage16Bit> Rotate90(const CKIPImage16Bit* source,
                                         ProgressCallback progress = nullptr);
std::unique_ptr<CKIPImage16Bit> Rotate180(const CKIPImage16Bit* source,
                                          ProgressCallback progress = nullptr);
std::unique_ptr<CKIPImage16Bit> Rotate270(const CKIPImage16Bit* source,
                                          ProgressCallback progress = nullptr);

// Replaces the image by its rotation for the tooth set; a failed rotation keeps it.
void AutoOrient(std::unique_ptr<CKIPImage>& image, std::uint32_t permanentTeeth,
                std::uint32_t primaryTeeth, int extra);
void AutoOrient(std::unique_ptr<CKIPImage16Bit>& image, std::uint32_t permanentTeeth,
                std::uint32_t primaryTeeth, int extra);

// A new image turned from the angle of one tooth set to that of another.
std::unique_ptr<CKIPImage> ReorientImage(const CKIPImage* image, std::uint32_t currentPermanent,
                                         std::uint32_t currentPrimary,
                                         std::uint32_t wantedPermanent, std::uint32_t wantedPrimary,
                                         int extra);
std::unique_ptr<CKIPImage16Bit> ReorientImage(const CKIPImage16Bit* image,
                                              std::uint32_t currentPermanent,
                                              std::uint32_t currentPrimary,
                                              std::uint32_t wantedPermanent,
                                              std::uint32_t wantedPrimary, int extra);

// Imports a host's packed DIB, checked against the size of its block.
std::unique_ptr<CKIPImage> ImageFromGlobalDIB(platform::GlobalHandle block);
std::unique_ptr<CKIPImage16Bit> Image16FromGlobalDIB(platform::GlobalHandle block);
