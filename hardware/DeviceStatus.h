#pragma once

#include <cstdint>

// Status codes of the device layer (the channel's pass through unchanged).
constexpr std::int32_t kDeviceOk = 0;
constexpr std::int32_t kNoSensorId = -8193;
constexpr std::int32_t kUnknownReply = -8196;
constexpr std::int32_t kBadSizeClass = -8197;
constexpr std::int32_t kXilinxError = -8199;
constexpr std::int32_t kUnknownHardwareError = -8207;
constexpr std::int32_t kPropertyRefused = -8208;
constexpr std::int32_t kUnknownImageType = -8209;
constexpr std::int32_t kDefectDataTooLong = -8211;
constexpr std::int32_t kExposureTimeout = -8214;
constexpr std::int32_t kUnknownImageTypeName = -8215;
constexpr std::int32_t kAbortNoAnswer = -65535;
