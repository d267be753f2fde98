#include <gtest/gtest.h>

#include <type_traits>

#include "hardware/DeviceToviRay.h"
#include "tests/hardware/DeviceFixture.h"

namespace {

using namespace device_testing;

// Devices are made, held and deleted through counted references only: nothing
// else reaches their constructors or destructors.
static_assert(!std::is_constructible_v<Device2000, std::unique_ptr<UsbIo>, std::string,
                                       NotifyCallback, std::shared_ptr<const DeviceHost>>);
static_assert(!std::is_destructible_v<Device2000> && !std::is_destructible_v<Device>);
static_assert(!std::is_constructible_v<DeviceTOVIRAY, std::unique_ptr<UsbIo>, std::string,
                                       NotifyCallback, std::shared_ptr<const DeviceHost>>);

TEST_F(DeviceTest, TheLastReferenceToLetGoDeletesTheDevice) {
    const std::int32_t before = Device::LiveDevices();
    CountedRef<Device2000> device = MakeDevice();
    EXPECT_EQ(device->ReferenceCount(), 1);
    DeviceRef list = device; // a typed reference converts to the base's
    DeviceRef capture = list;
    EXPECT_EQ(device->ReferenceCount(), 3);
    DeviceRef moved = std::move(capture);
    EXPECT_FALSE(capture);
    EXPECT_EQ(device->ReferenceCount(), 3);
    device = CountedRef<Device2000>();
    list = DeviceRef();
    EXPECT_EQ(Device::LiveDevices(), before + 1);
    EXPECT_EQ(moved->ReferenceCount(), 1);
    moved = DeviceRef();
    EXPECT_EQ(Device::LiveDevices(), before);
}

} // namespace
