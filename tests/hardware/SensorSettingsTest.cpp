#include <gtest/gtest.h>

#include "hardware/HardwareProperties.h"
#include "hardware/PropertyValues.h"
#include "hardware/SensorSettings.h"
#include "platform/FileSystem.h"
#include "support/LastError.h"
#include "support/xml/XmlNode.h"
#include "tests/support/TestFiles.h"

namespace {

using testing_files::TempDirectory;
using testing_files::WriteFile;

TEST(HardwareProperties, MatchWithoutCaseAndUpperCaseNewEntries) {
    CHardwareProperties set("BASE");
    set.Set("Corner_Color", "white");
    ASSERT_EQ(set.Entries().size(), 1u);
    EXPECT_EQ(set.Entries()[0]->name, "CORNER_COLOR");
    EXPECT_EQ(set.Get("corner_color"), "WHITE");
    set.Set("corner_COLOR", "grey");
    EXPECT_EQ(set.Get("CORNER_COLOR"), "grey");
    EXPECT_EQ(set.Get("missing"), "");

    CHardwareProperties copy("COPY");
    copy.Set("corner_color", "black");
    set.CopyInto(copy);
    EXPECT_EQ(copy.Get("corner_color"), "grey");
    EXPECT_EQ(copy.Entries().size(), 1u);
}

TEST(HardwareProperties, CornerColoursAndMargins) {
    EXPECT_EQ(CornerColour("WHITE"), 0);
    EXPECT_EQ(CornerColour("Grey"), 2048);
    EXPECT_EQ(CornerColour("default"), 4095);
    EXPECT_EQ(CornerColour(""), 4095);
    EXPECT_EQ(CornerColour("100"), 3995);
    EXPECT_EQ(CornerColour("5000"), 0);
    EXPECT_EQ(CornerColour("-5"), 4095);

    CHardwareProperties set("BASE");
    set.Set("left_margin", "4");
    set.Set("right_margin", "-3");
    set.Set("left_margin_plus", "9");
    EXPECT_EQ(ReadMargins(set, false).left, 4u);
    EXPECT_EQ(ReadMargins(set, false).right, 0u);
    EXPECT_EQ(ReadMargins(set, true).left, 9u);
    EXPECT_EQ(ReadMargins(set, true).bottom, 0u);
    EXPECT_EQ(PropertyInteger(" 99999999999"), INT32_MAX);
}

TEST(SensorSettings, DebugAttributesOverrideEverySensorWhateverTheOrder) {
    TempDirectory data;
    WriteFile(data.Path("settings.xml"),
              "<ROOT><Debug flush_time=\"1\" trace=\"on\"/>"
              "<sensor id=\"2000\" flush_time=\"5000\" corner_color=\"white\"/>"
              "<SENSOR flush_time=\"7\"/>"
              "<DEBUG flush_time=\"2\"/>"
              "<SENSOR id=\"ToviRay\" flush_time=\"2000\"/></ROOT>");
    SensorSettings settings;
    ASSERT_TRUE(settings.Load(data.Path()));
    EXPECT_EQ(settings.Count(), 2u);
    ASSERT_NE(settings.Find("toviray"), nullptr);
    EXPECT_EQ(settings.Find("TOVIRAY")->Name(), "TOVIRAY");
    EXPECT_EQ(settings.Find("2000")->Get("flush_time"), "1");
    EXPECT_EQ(settings.Find("toviray")->Get("trace"), "ON");
    EXPECT_EQ(settings.Find("2000")->Get("corner_color"),
              "WHITE"); // created from the file: upper case
    EXPECT_EQ(settings.Find("2000")->Get("id"), "2000");

    CHardwareProperties device("BASE");
    device.Set("corner_color", "");
    EXPECT_TRUE(settings.CopyInto("2000", device));
    EXPECT_EQ(device.Get("corner_color"), "WHITE"); // created from the file: upper case
    EXPECT_FALSE(settings.CopyInto("1600", device));
}

TEST(SensorSettings, ReloadsOnlyAChangedFileAndReportsBadOnes) {
    TempDirectory data;
    std::string path = data.Path("settings.xml");
    SensorSettings settings;
    EXPECT_FALSE(settings.Load(data.Path()));
    EXPECT_EQ(LastErrorText(), "The settings file '" + path +
                                   "' could not be found.  Please check the installation and "
                                   "then retry the operation.");

    WriteFile(path, "<ROOT><SENSOR id=\"2000\" threshold=\"8\"/></ROOT>");
    platform::SetFileTimes(path, 1000000, 1000000);
    ASSERT_TRUE(settings.Load(data.Path()));
    // An unchanged stamp is not read again, even when the content differs.
    WriteFile(path, "<ROOT><SENSOR id=\"2000\" threshold=\"9\"/></ROOT>");
    platform::SetFileTimes(path, 1000000, 1000000);
    ASSERT_TRUE(settings.Load(data.Path()));
    EXPECT_EQ(settings.Find("2000")->Get("threshold"), "8");
    platform::SetFileTimes(path, 2000000, 2000000);
    ASSERT_TRUE(settings.Load(data.Path()));
    EXPECT_EQ(settings.Find("2000")->Get("threshold"), "9");

    WriteFile(path, "<ROOT><SENSOR id=\"2000\"></ROOT>");
    platform::SetFileTimes(path, 3000000, 3000000);
    EXPECT_FALSE(settings.Load(data.Path()));
    EXPECT_EQ(settings.Count(), 0u);
    EXPECT_EQ(LastErrorText(), "The settings file '" + path +
                                   "' could not be properly interrupted.  Please check the "
                                   "installation and then retry the operation.");
    // The failed load recorded nothing: the same file is tried again.
    EXPECT_FALSE(settings.Load(data.Path()));
}

// A failed load keeps nothing of the last good one: the good file put back with
// its old time stamp is read again.
TEST(SensorSettings, AFailedLoadIsTriedAgainWhateverTheStamp) {
    TempDirectory data;
    const std::string path = data.Path("settings.xml");
    const std::string good = "<ROOT><SENSOR id=\"2000\" threshold=\"8\"/></ROOT>";
    auto restoreGood = [&] {
        ASSERT_TRUE(WriteFile(path, good));
        ASSERT_TRUE(platform::SetFileTimes(path, 1000000, 1000000));
    };
    SensorSettings settings;
    restoreGood();
    ASSERT_TRUE(settings.Load(data.Path()));

    ASSERT_TRUE(WriteFile(path, "<ROOT><SENSOR id=\"2000\"></ROOT>"));
    ASSERT_TRUE(platform::SetFileTimes(path, 2000000, 2000000));
    EXPECT_FALSE(settings.Load(data.Path()));
    restoreGood();
    ASSERT_TRUE(settings.Load(data.Path()));
    ASSERT_NE(settings.Find("2000"), nullptr);
    EXPECT_EQ(settings.Find("2000")->Get("threshold"), "8");

    ASSERT_TRUE(platform::RemoveFile(path));
    EXPECT_FALSE(settings.Load(data.Path()));
    restoreGood();
    ASSERT_TRUE(settings.Load(data.Path()));
    EXPECT_EQ(settings.Count(), 1u);
}

// Reading 40,000 elements by index from the first child each time would
// examine about 1.6 billion children.
TEST(SensorSettings, ReadingTheElementsExaminesEachChildOnce) {
    constexpr int kSensors = 40000;
    std::string text = "<ROOT>\n";
    for (int i = 0; i < kSensors; ++i)
        text += "<!-- family --><SENSOR id=\"F" + std::to_string(i) + "\" threshold=\"8\"/>\n";
    text += "<Debug threshold=\"9\"/></ROOT>\n";
    TempDirectory data;
    ASSERT_TRUE(WriteFile(data.Path("settings.xml"), text));

    SensorSettings settings;
    const std::uint64_t before = XmlChildVisits();
    ASSERT_TRUE(settings.Load(data.Path()));
    EXPECT_LE(XmlChildVisits() - before, 2u * (2 * kSensors + 1));
    EXPECT_EQ(settings.Count(), static_cast<std::size_t>(kSensors));
    ASSERT_NE(settings.Find("f39999"), nullptr);
    EXPECT_EQ(settings.Find("f39999")->Get("threshold"), "9");
    EXPECT_EQ(settings.Find("F0")->Get("id"), "F0");
}

} // namespace
