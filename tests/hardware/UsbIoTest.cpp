#include <gtest/gtest.h>

#include <cstring>

#include "hardware/UsbIo.h"
#include "simulator/SimulatedDriver.h"
#include "support/ByteFields.h"

namespace {

using simulator::DriverFamily;

class UsbIoTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetUsbDriver(driver); }
    void TearDown() override { platform::SetUsbDriver(nullptr); }

    std::shared_ptr<simulator::SimulatedDriver> driver =
        std::make_shared<simulator::SimulatedDriver>();
};

TEST_F(UsbIoTest, EzUsbRequestsCarryThePipeAsFourBytesAndCheckPipesInOrder) {
    std::string path = driver->Attach({}, DriverFamily::EzUsb);
    EzUsbIo io;
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(io.Read(1, buffer, 64), -4097);
    EXPECT_EQ(io.Reset(), -4104); // not checked for a handle
    ASSERT_EQ(io.Open(path), 0);
    driver->ClearRequests();

    EXPECT_EQ(io.Read(0, buffer, 0), 0); // length 0 answers before the pipe
    EXPECT_EQ(io.Read(0, buffer, 4), -4098);
    EXPECT_EQ(io.Write(1, buffer, 0), -4098);
    EXPECT_EQ(io.Write(0, buffer, 0), 0);
    EXPECT_TRUE(driver->Requests().empty());

    const std::uint8_t echo[] = {0x0E, 0xAA, 0x55};
    ASSERT_EQ(io.WriteCommand(echo, 3), 0);
    ASSERT_EQ(io.ReadReply(buffer), 0);
    ASSERT_EQ(driver->Requests().size(), 2u);
    const auto& write = driver->Requests()[0];
    EXPECT_EQ(write.code, 0x0022204Eu);
    EXPECT_EQ(write.input, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(write.data, (std::vector<std::uint8_t>{0x0E, 0xAA, 0x55}));
    const auto& read = driver->Requests()[1];
    EXPECT_EQ(read.input, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(read.outputLength, 64u);
    EXPECT_EQ(buffer[0], 0x8E);
    EXPECT_EQ(buffer[2], 0x55);
}

TEST_F(UsbIoTest, CyUsbWrapsEveryTransferInTheHeaderRecord) {
    std::string path = driver->Attach({}, DriverFamily::CyUsb);
    CyUsbIo io;
    EXPECT_EQ(io.Reset(), -4097);
    ASSERT_EQ(io.Open(path), 0);
    driver->ClearRequests();
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(io.Write(3, buffer, 1), -4098);
    EXPECT_TRUE(driver->Requests().empty());

    const std::uint8_t memoryPresent[] = {0x02, 0xC0};
    ASSERT_EQ(io.WriteCommand(memoryPresent, 2), 0);
    ASSERT_EQ(io.ReadReply(buffer), 0);
    EXPECT_EQ(buffer[0], 1);
    // A zero-length read still goes to the driver, as a bare header.
    EXPECT_EQ(io.ReadBulk(buffer, 0), 0);
    ASSERT_EQ(driver->Requests().size(), 3u);

    const auto& write = driver->Requests()[0].input;
    ASSERT_EQ(write.size(), 40u);
    EXPECT_EQ(driver->Requests()[0].code, 0x00220024u);
    EXPECT_TRUE(std::all_of(write.begin(), write.begin() + 13, [](auto b) { return b == 0; }));
    EXPECT_EQ(write[13], 0x01);
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(&write[30]), 38u);
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(&write[34]), 2u);
    EXPECT_EQ(write[38], 0x02);
    EXPECT_EQ(write[39], 0xC0);
    EXPECT_EQ(driver->Requests()[1].input[13], 0x81);
    EXPECT_EQ(driver->Requests()[1].outputLength, 38u + 64u);
    EXPECT_EQ(driver->Requests()[2].input.size(), 38u);
    EXPECT_EQ(driver->Requests()[2].input[13], 0x86);

    ASSERT_EQ(io.Reset(), 0);
    EXPECT_EQ(driver->Requests().back().code, 0x00220030u);
}

TEST_F(UsbIoTest, AFailedOpenLeavesTheChannelClosedUntilAGoodOne) {
    std::string path = driver->Attach({}, DriverFamily::EzUsb);
    EzUsbIo io;
    EXPECT_EQ(io.Open("\\\\?\\usb#vid_7a1c&pid_2000#absent#{x}"), -4096);
    EXPECT_FALSE(io.IsOpen());
    EXPECT_EQ(io.Open(path), 0);
    EXPECT_EQ(io.Open(path), 0); // reopening closes the old handle first
    EXPECT_EQ(driver->OpenHandles(), 1u);
    io.Close();
    EXPECT_EQ(driver->OpenHandles(), 0u);
}

TEST_F(UsbIoTest, TheDriverVersionChoosesTheChannel) {
    driver->SetDriverVersion("{k}\\0001", "ezusb.sys", 1, 7);
    driver->SetDriverVersion("{k}\\0002", "cyusb.sys", 3, 0);
    driver->SetDriverVersion("{k}\\0003", "other.sys", 2, 0);
    driver->SetDriverVersion("{k}\\0004", "", 1, 0);
    EXPECT_EQ(GetDriverVersion("{K}\\0001").parts, (std::array<std::uint16_t, 4>{1, 7, 0, 0}));
    EXPECT_EQ(GetDriverVersion("{k}\\0009").parts,
              (std::array<std::uint16_t, 4>{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));

    EXPECT_NE(dynamic_cast<EzUsbIo*>(CreateUsbIo(0x2000, "{k}\\0001").get()), nullptr);
    EXPECT_NE(dynamic_cast<CyUsbIo*>(CreateUsbIo(0x1005, "{k}\\0002").get()), nullptr);
    EXPECT_EQ(CreateUsbIo(0x2000, "{k}\\0003"), nullptr);
    EXPECT_EQ(CreateUsbIo(0x2000, "{k}\\0004"), nullptr); // no "NTMPDriver" value
    EXPECT_EQ(CreateUsbIo(0x1600, "{k}\\0001"), nullptr);
    driver->SetWow64(true);
    EXPECT_NE(dynamic_cast<CyUsbIo*>(CreateUsbIo(0x2000, "{k}\\0003").get()), nullptr);
}

TEST_F(UsbIoTest, AChannelKeepsTheDriverItWasCreatedWithWhateverIsInstalledLater) {
    std::string path = driver->Attach({}, DriverFamily::EzUsb);
    std::unique_ptr<UsbIo> io = CreateUsbIo(0x2000, "{36fc9e60-c465-11cf-8056-444553540000}\\0001");
    ASSERT_NE(io, nullptr);
    ASSERT_EQ(io->Open(path), 0);
    auto next = std::make_shared<simulator::SimulatedDriver>();
    next->Attach({}, DriverFamily::EzUsb); // the same path on the new driver
    platform::SetUsbDriver(next);
    const std::uint8_t echo[] = {0x0E, 0xAA, 0x55};
    EXPECT_EQ(io->WriteCommand(echo, 3), 0);
    io->Close();
    EXPECT_EQ(driver->RequestCount(), 1u);
    EXPECT_EQ(driver->OpenHandles(), 0u);
    EXPECT_EQ(next->RequestCount(), 0u);
}

} // namespace
