#pragma once

#include <cstdint>

// The sensor protocol as the hardware defines it, written down once for the
// simulated driver and firmware. Deliberately independent of the device
// layer's own constants: a wrong value there must fail against these.
namespace simulator::protocol {

// Driver requests (DeviceIoControl codes) of the two driver families.
constexpr std::uint32_t kEzUsbResetRequest = 0x00222031;
constexpr std::uint32_t kEzUsbTransferRequest = 0x0022204E;
constexpr std::uint32_t kCyUsbResetRequest = 0x00220030;
constexpr std::uint32_t kCyUsbTransferRequest = 0x00220024;

// The CyUSB transfer record: a 38-byte header, then the data.
constexpr std::uint32_t kCyUsbHeaderLength = 38;
constexpr std::uint32_t kCyUsbEndpointOffset = 13;
constexpr std::uint32_t kCyUsbBufferOffsetField = 30;
constexpr std::uint32_t kCyUsbBufferLengthField = 34;

// EZ-USB pipe indices and the CyUSB endpoint addresses of the same pipes.
struct Pipe {
    std::uint32_t index;
    std::uint8_t endpoint;
    bool in;
};
constexpr Pipe kCommandPipe{0, 0x01, false};
constexpr Pipe kReplyPipe{1, 0x81, true};
constexpr Pipe kBulkOutPipe{2, 0x02, false};
constexpr Pipe kImagePipe{3, 0x86, true};
constexpr Pipe kPipes[] = {kCommandPipe, kReplyPipe, kBulkOutPipe, kImagePipe};

constexpr std::uint32_t kReplyLength = 64;

// First bytes of the command messages.
constexpr std::uint8_t kResetCommand = 0x0F;
constexpr std::uint8_t kSubCommand = 0x02;
constexpr std::uint8_t kIntegrationTimeCommand = 0x04;
constexpr std::uint8_t kThresholdCommand = 0x05;
constexpr std::uint8_t kMacIdCommand = 0x06;
constexpr std::uint8_t kPowerCommand = 0x08;
constexpr std::uint8_t kReadMemoryCommand = 0x0C;
constexpr std::uint8_t kEchoCommand = 0x0E;

// Second bytes after kSubCommand (the size codes are listed below).
constexpr std::uint8_t kMemoryPresent = 0xC0;
constexpr std::uint8_t kFlush = 0x70;
constexpr std::uint8_t kArmDetection = 0x20;
constexpr std::uint8_t kTriggerExposure = 0xF0;

// The echo's bytes and its reply.
constexpr std::uint8_t kEchoFirst = 0xAA;
constexpr std::uint8_t kEchoSecond = 0x55;
constexpr std::uint8_t kEchoReply = 0x8E;
constexpr std::uint8_t kEchoGood = 0x55;
constexpr std::uint8_t kEchoXilinxError = 0xFF;

// CCD status replies: 0x83, then the status in the high nibble of byte 1.
constexpr std::uint8_t kStatusReply = 0x83;
constexpr std::uint8_t kStatusIdle = 0x00;
constexpr std::uint8_t kStatusWaiting = 0x10;
constexpr std::uint8_t kStatusIntegrating = 0x20;
// What the sensor reports when a frame is ready to be read.
constexpr std::uint8_t kReadyStatuses[] = {0x60, 0x50, 0x40, 0x30};

constexpr std::uint32_t kMacIdLength = 8;

// The four size classes of the 2000 series with the codes that select them.
struct SizeClass {
    char name;
    std::uint8_t fullCode;
    std::uint8_t binnedCode;
    std::uint32_t pixelsPerLine;
    std::uint32_t lines;
};
constexpr SizeClass kSizeClasses[] = {{'A', 0x25, 0x27, 468, 578},
                                      {'B', 0x29, 0x2B, 578, 800},
                                      {'C', 0x2D, 0x2F, 890, 1420},
                                      {'D', 0x21, 0x23, 1156, 1600}};

// USB product ids in the interface paths.
constexpr std::uint16_t kProduct2000 = 0x2000;
constexpr std::uint16_t kProductToviRay = 0x1005;

// The ToviRay memory read: 0x0B length-high length-low address-high address-low.
constexpr std::uint8_t kToviRayReadMemoryCommand = 0x0B;

// The two ToviRay sizes, read at full resolution.
struct ToviRaySize {
    char name;
    std::uint8_t code;
    std::uint32_t pixelsPerLine;
    std::uint32_t lines;
};
constexpr ToviRaySize kToviRaySizes[] = {{'C', 0x25, 616, 944}, {'D', 0x29, 798, 1070}};

// The stored line at which the ToviRay's two halves meet.
constexpr std::uint32_t kToviRaySeamLine = 535;

} // namespace simulator::protocol

// Device enumeration and hot-plug as the system presents them.
namespace simulator::protocol {

constexpr std::uint16_t kVendorId = 0x7A1C;
// The USB device interface class, in its path form and as GUID bytes.
constexpr const char* kUsbInterfaceClass = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
constexpr std::uint8_t kUsbInterfaceClassBytes[16] = {
    0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11, 0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED};
// WM_DEVICECHANGE with DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE.
constexpr std::uint32_t kDeviceChangeMessage = 0x0219;
constexpr std::uintptr_t kDeviceArrival = 0x8000;
constexpr std::uintptr_t kDeviceRemoveComplete = 0x8004;
// DEV_BROADCAST_DEVICEINTERFACE_A: size, type 5, reserved, class, then the name.
constexpr std::uint32_t kDeviceInterfaceType = 5;
constexpr std::uint32_t kBroadcastClassOffset = 12;
constexpr std::uint32_t kBroadcastNameOffset = 28;

} // namespace simulator::protocol
