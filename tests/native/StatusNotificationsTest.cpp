#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/PluginState.h"
#include "plugin/StatusNotifications.h"

SED_EXPORT void SED_CALL SEDSetStatusCallback(StatusCallback);
SED_EXPORT void SED_CALL SEDSetTranslateCallback(TranslateCallback);

namespace {

struct Sent {
    int code;
    std::string text;
    bool operator==(const Sent&) const = default;
};
std::vector<Sent> sent;

void SED_CALL Record(int, int code, const char* text) {
    sent.push_back({code, text != nullptr ? text : "<null>"});
}
void SED_CALL Bracket(const char* text, char* out, int size) {
    std::snprintf(out, static_cast<size_t>(size), "[%s]", text);
}

class StatusNotifications : public ::testing::Test {
protected:
    void SetUp() override {
        PluginModule::Instance().Reset();
        SEDSetStatusCallback(Record);
        sent.clear();
        target.sensorText = "2000 XCCD0100C";
        target.appendLine = [this](const std::string& line) { lines.push_back(line); };
        target.endWithCancel = [this](const std::string&) { ++cancels; };
    }
    void TearDown() override { PluginModule::Instance().Reset(); }

    NotificationTarget target;
    std::vector<std::string> lines;
    int cancels = 0;
};

TEST_F(StatusNotifications, EachCodeSendsItsStatusAndAddsItsLine) {
    HandleDeviceNotification(target, "Preparing sensor.", 2, 40);
    HandleDeviceNotification(target, "Waiting.", 100, 50);
    HandleDeviceNotification(target, "Waiting for exposure.", 3, 0);
    HandleDeviceNotification(target, "Waiting for exposure.", 3, 7);
    HandleDeviceNotification(target, "Waiting for exposure.", 999, 0);
    HandleDeviceNotification(target, "Downloading image.", 4, 50);
    HandleDeviceNotification(target, "USB", 6, 0);
    HandleDeviceNotification(target, "Odd.", 77, 3);
    const std::vector<Sent> expectedSent = {
        {5, "Flushing sensor 40%\n2000 XCCD0100C"},
        {5, "Waiting for sensor 50%\n2000 XCCD0100C"},
        {6, "2000 XCCD0100C"},
        {7, "Retrieving image 50%\n2000 XCCD0100C"},
    };
    EXPECT_EQ(sent, expectedSent);
    const std::vector<std::string> expectedLines = {
        "Preparing sensor.: Flushing sensor (40%)",
        "Waiting.: Waiting for sensor (50%)",
        "Waiting for exposure.: Waiting for exposure (0%)",
        "Waiting for exposure.: Waiting for exposure (7%)",
        "Downloading image.: Retrieving image (50%)",
        "USB: Device inserted (0%)",
        "Odd.: Unknown status (3%)",
    };
    EXPECT_EQ(lines, expectedLines);
    EXPECT_EQ(cancels, 0);
}

TEST_F(StatusNotifications, AfterACancelTheReadOutIsAnAbort) {
    PluginModule::Instance().state.userTerminated = 1;
    HandleDeviceNotification(target, "Waiting for exposure.", 3, 0);
    HandleDeviceNotification(target, "Downloading image.", 4, 100);
    const std::vector<Sent> expected = {{8, "Aborting Capture 100%\n2000 XCCD0100C"}};
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(lines.back(), "Downloading image.: Aborting Capture (100%)");
}

TEST_F(StatusNotifications, ARemovedDeviceEndsTheDialogWithItsTranslatedSentence) {
    SEDSetTranslateCallback(Bracket);
    HandleDeviceNotification(target, "ToviRay II", 5, 0);
    EXPECT_EQ(LastErrorText(), "[Device ToviRay II has been removed.]");
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(lines.back(), "ToviRay II: Device removed (0%)");
    EXPECT_TRUE(sent.empty());
    SEDSetTranslateCallback(nullptr);
}

TEST_F(StatusNotifications, WithoutADialogNothingIsAppended) {
    NotificationTarget bare;
    HandleDeviceNotification(bare, nullptr, 2, 10);
    HandleDeviceNotification(bare, "x", 5, 0);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Sent{5, "Flushing sensor 10%\n"}));
    SendTermination();
    EXPECT_EQ(sent.back(), (Sent{0, "<null>"}));
}

} // namespace
