#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/native/CaptureFixture.h"
#include "tests/native/PqeScratch.h"

using capture_testing::CaptureTest;
using capture_testing::StatusLog;

namespace {

bool SentPqeProgress() {
    for (const capture_testing::Status& status : StatusLog::Instance().Statuses())
        if (status.code == 7 && status.text == "PQE...")
            return true;
    return false;
}

// Captures in a scratch working directory with the enhancement library; the
// library's Close at the controller's end still writes there.
class CaptureEnhancement : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        scratch.Enter();
    }
    void TearDown() override {
        CaptureTest::TearDown();
        scratch.Leave();
    }
    void Install(const char* library) { scratch.Install(library); }
    std::string Calls() const { return scratch.Calls(); }
    std::vector<std::uint8_t> Capture16() {
        StatusLog::Instance().Clear();
        return ReceivedBytes(SEDCaptureImage16(0, 0));
    }

    PqeScratch scratch;
};

TEST_F(CaptureEnhancement, LevelZeroNeverLooksForTheLibrary) {
    Install(PQE_ALL_LIBRARY);
    Attach2000();
    ASSERT_FALSE(Capture16().empty()) << ErrorText();
    EXPECT_FALSE(SentPqeProgress());
    EXPECT_TRUE(boxes->Shown().empty());
    EXPECT_EQ(Calls(), "");
}

TEST_F(CaptureEnhancement, AnAbsentLibraryWarnsOnEveryCaptureThatStillSucceeds) {
    Attach2000();
    Options().SetInt(SensorOptions::PqeLevel2000, 1);
    for (int capture = 1; capture <= 2; ++capture) {
        ASSERT_FALSE(Capture16().empty()) << ErrorText();
        EXPECT_TRUE(SentPqeProgress());
        EXPECT_EQ(ErrorText(), "Unable to load imaging DLL 'pqekip.dll'");
        EXPECT_EQ(boxes->Shown().size(), static_cast<std::size_t>(capture));
    }
    EXPECT_EQ(boxes->Shown().back().caption, "PQE Enhancement");
}

TEST_F(CaptureEnhancement, ALibraryWithOnlyProcessImageWarnsOnceAndIsUsed) {
    Install(PQE_ONLY_PROCESS_LIBRARY);
    Attach2000();
    Options().SetInt(SensorOptions::PqeLevel2000, 1);
    // The capture that finds the library incomplete warns and goes on without it.
    ASSERT_FALSE(Capture16().empty()) << ErrorText();
    EXPECT_EQ(Calls(), "");
    ASSERT_FALSE(Capture16().empty()) << ErrorText();
    ASSERT_EQ(boxes->Shown().size(), 1u);
    EXPECT_EQ(boxes->Shown()[0].caption, "Imaging Function Warning");
    EXPECT_NE(boxes->Shown()[0].text.find("\n\nInit(), ProcessPreview(), Close()"),
              std::string::npos);
    EXPECT_EQ(Calls(), "ProcessImage(62, 13)\n");
}

TEST_F(CaptureEnhancement, TheHostRecordsLevelReachesTheLibraryAndTheImageChanges) {
    Install(PQE_ALL_LIBRARY);
    AttachToviRay();
    const std::vector<std::uint8_t> plain = Capture16();
    ASSERT_FALSE(plain.empty()) << ErrorText();
    EXPECT_FALSE(SentPqeProgress());

    SensorOptions record = Options();
    record.SetInt(SensorOptions::PqeLevelToviRay, 3);
    SEDSetConfigurationAndOptions(record.Bytes().data(), SensorOptions::kSize);
    const std::vector<std::uint8_t> enhanced = Capture16();
    ASSERT_EQ(enhanced.size(), plain.size()) << ErrorText();
    EXPECT_TRUE(SentPqeProgress());
    EXPECT_NE(enhanced, plain); // the library's result went on down the chain
    EXPECT_EQ(HeaderOf(enhanced).xPelsPerMeter, HeaderOf(plain).xPelsPerMeter);
    EXPECT_EQ(HeaderOf(enhanced).yPelsPerMeter, HeaderOf(plain).yPelsPerMeter);
    EXPECT_EQ(Calls(), "Init()\nProcessImage(38, 3)\n");

    // The library is closed when the adapter unloads it.
    PluginModule::Instance().SetController(nullptr);
    enhancer.reset();
    EXPECT_EQ(Calls(), "Init()\nProcessImage(38, 3)\nClose()\n");
}

} // namespace
