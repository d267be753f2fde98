#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/WindowSystem.h"
#include "plugin/ui/CaptureDialog.h"
#include "plugin/ui/TeethText.h"
#include "plugin/ui/headless/HeadlessCaptureView.h"
#include "tests/native/DialogFixture.h"

using ui::CaptureText;
using ui::DialogResult;

namespace {

// What the dialog showed when it called SendPreping.
struct PrepingMoment {
    std::string text;
    std::vector<std::string> lines;
    bool minimised = false;
    bool timerRunning = false;
};

class CaptureDialog : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        Remake();
    }
    void Remake() {
        dialog.reset();
        cancels.clear();
        auto owned = std::make_unique<ui::HeadlessCaptureView>();
        view = owned.get();
        record = owned->GetRecord();
        ui::CaptureDialogHooks hooks;
        hooks.describeSensor = [] { return std::string("2000 ABC123"); };
        hooks.sendPreping = [this](const std::string& text) {
            ui::CaptureDialogRecord now = record->Snapshot();
            prepings.push_back({text, now.statusLines, now.minimised, now.timerRunning});
        };
        hooks.cancel = [this](bool modifierHeld) {
            cancels.push_back(modifierHeld);
            linesAtCancel = record->Snapshot().statusLines.size();
            if (endOnCancel)
                dialog->PostEndMessage(1);
        };
        dialog = std::make_unique<ui::CCaptureXrayDlg>(std::move(owned), hooks);
    }
    void TearDown() override {
        dialog.reset();
        platform::SetClock(nullptr);
        DialogFixture::TearDown();
    }
    void Open(unsigned permanentTeeth = 0, unsigned primaryTeeth = 0) {
        dialog->SetTeeth(permanentTeeth, primaryTeeth);
        ASSERT_TRUE(dialog->Create(reinterpret_cast<void*>(0x1234)));
    }
    ui::CaptureDialogRecord Shown() const { return record->Snapshot(); }
    std::string ShownTeeth(unsigned permanentTeeth, unsigned primaryTeeth) {
        Open(permanentTeeth, primaryTeeth);
        return Shown().texts[CaptureText::Teeth];
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i)
            view->Tick();
    }

    ui::HeadlessCaptureView* view = nullptr;
    std::shared_ptr<ui::HeadlessCaptureView::Record> record;
    std::unique_ptr<ui::CCaptureXrayDlg> dialog;
    std::vector<PrepingMoment> prepings;
    std::vector<bool> cancels;
    std::size_t linesAtCancel = 0;
    bool endOnCancel = true;
};

} // namespace

TEST(TeethText, WholeMouthAndNoAssociations) {
    EXPECT_EQ(ui::TeethText(0xFFFFFFFF, 0), "<Whole Mouth>");
    EXPECT_EQ(ui::TeethText(0xFFFFFFFF, 0x3), "<Whole Mouth>");
    EXPECT_EQ(ui::TeethText(0, 0), "<No Associations>");
    EXPECT_EQ(ui::TeethText(0, 0xFFFFF), "<Whole Mouth>");
    EXPECT_EQ(ui::TeethText(0x5, 0xFFFFF), "<Whole Mouth>");
}

TEST(TeethText, NumbersWithCommaAndBlankLettersWithCommaOnly) {
    EXPECT_EQ(ui::TeethText(0x3, 0), "1, 2");
    EXPECT_EQ(ui::TeethText(0, 0x6), "B,C");
    EXPECT_EQ(ui::TeethText((1u << 2) | (1u << 13), 0x1), "3, 14,A");
    EXPECT_EQ(ui::TeethText(0x80000000, 0), "32");
    EXPECT_EQ(ui::TeethText(0, 1u << 19), "T");
}

TEST(TeethText, PrimaryBitsPastTAreNoTeeth) {
    EXPECT_EQ(ui::TeethText(0, 0xFFF00001), "A");
    EXPECT_EQ(ui::TeethText(0x1, 0xFFF00000), "1");
}

TEST_F(CaptureDialog, ShowsTheTeethOfTheCapture) {
    EXPECT_EQ(ShownTeeth((1u << 2) | (1u << 13), 0x1), "3, 14,A");
    ui::TextStyle style = Shown().styles[CaptureText::Teeth];
    EXPECT_EQ(style.colour, (ui::Colour{0, 0, 0}));
    EXPECT_TRUE(style.bold);
}

TEST_F(CaptureDialog, OpensInTheOrderOfItsSteps) {
    PluginModule::Instance().state.timedOut = 1;
    Open(0xFFFFFFFF, 0);
    ui::CaptureDialogRecord shown = Shown();
    EXPECT_EQ(PluginModule::Instance().state.timedOut, 0);
    EXPECT_EQ(shown.parent, reinterpret_cast<void*>(0x1234));
    EXPECT_EQ(shown.texts[CaptureText::Teeth], "<Whole Mouth>");
    for (CaptureText label : {CaptureText::TeethLabel, CaptureText::StatusLabel}) {
        EXPECT_EQ(shown.styles[label].colour, (ui::Colour{0, 0, 128}));
        EXPECT_TRUE(shown.styles[label].bold);
    }
    ASSERT_EQ(prepings.size(), 1u);
    EXPECT_EQ(prepings[0].text, "2000 ABC123");
    EXPECT_EQ(prepings[0].lines, std::vector<std::string>{"Initializing ..."});
    EXPECT_FALSE(prepings[0].minimised);
    EXPECT_FALSE(prepings[0].timerRunning);
    EXPECT_EQ(shown.statusLines,
              (std::vector<std::string>{"Initializing ...", "Initializing hardware ..."}));
    EXPECT_EQ(shown.topLine, 1u);
    EXPECT_TRUE(shown.minimised);
    EXPECT_TRUE(shown.timerRunning);
    EXPECT_EQ(shown.timerId, 0x12341234u);
    EXPECT_EQ(shown.timerPeriod, 1000u);
    EXPECT_FALSE(shown.shown);
    EXPECT_EQ(shown.texts.count(CaptureText::Elapsed), 0u);
}

TEST_F(CaptureDialog, ShowingKeepsItMinimised) {
    Open();
    dialog->Show();
    EXPECT_TRUE(Shown().shown);
    EXPECT_TRUE(Shown().minimised);
}

TEST_F(CaptureDialog, StatusTextsAreTranslated) {
    Translating();
    Open();
    Ticks(5);
    ui::CaptureDialogRecord shown = Shown();
    EXPECT_EQ(shown.statusLines,
              (std::vector<std::string>{"T:Initializing ...", "T:Initializing hardware ..."}));
    EXPECT_EQ(shown.texts[CaptureText::Elapsed], "T:Active 5 seconds");
    ASSERT_EQ(prepings.size(), 1u);
    EXPECT_EQ(prepings[0].text, "2000 ABC123");
}

TEST_F(CaptureDialog, TimerCountsSecondsThenMinutes) {
    Open();
    Ticks(59);
    EXPECT_EQ(Shown().texts[CaptureText::Elapsed], "Active 59 seconds");
    Ticks(1);
    EXPECT_EQ(Shown().texts[CaptureText::Elapsed], "Active 1 minute(s) 0 seconds");
    Ticks(15);
    EXPECT_EQ(Shown().texts[CaptureText::Elapsed], "Active 1 minute(s) 15 seconds");
    EXPECT_EQ(dialog->ElapsedSeconds(), 75u);
    ui::TextStyle style = Shown().styles[CaptureText::Elapsed];
    EXPECT_EQ(style.colour, (ui::Colour{0, 0, 255}));
    EXPECT_TRUE(style.bold);
}

TEST_F(CaptureDialog, TheLoopTicksOnTheClockPort) {
    auto clock = std::make_shared<platform::VirtualClock>();
    platform::SetClock(clock);
    Open();
    std::thread worker([&] {
        clock->Advance(1000);
        dialog->PostEndMessage(0);
    });
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Ok);
    worker.join();
    EXPECT_EQ(Shown().texts[CaptureText::Elapsed], "Active 1 seconds");
}

TEST_F(CaptureDialog, LinesFromTheWorkerArriveInOrderAndScroll) {
    Open();
    std::thread worker([&] {
        dialog->AppendStatusLine("Device: Flushing sensor (50%)");
        dialog->AppendStatusLine("Device: Waiting for exposure (0%)");
        dialog->AppendStatusLine("Device: Retrieving image (100%)");
        dialog->PostEndMessage(0);
    });
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Ok);
    worker.join();
    ui::CaptureDialogRecord shown = Shown();
    ASSERT_EQ(shown.statusLines.size(), 5u);
    EXPECT_EQ(shown.statusLines[2], "Device: Flushing sensor (50%)");
    EXPECT_EQ(shown.statusLines[4], "Device: Retrieving image (100%)");
    EXPECT_EQ(shown.topLine, 4u);
    EXPECT_TRUE(dialog->IsWindow());
}

TEST_F(CaptureDialog, EndMessageClosesWithOkForZeroAndCancelOtherwise) {
    Open();
    dialog->PostEndMessage(0);
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Ok);
    for (std::intptr_t lParam : {1, 2, -1}) {
        Remake();
        Open();
        dialog->PostEndMessage(lParam);
        EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Cancel) << lParam;
        EXPECT_EQ(Shown().loopResult, DialogResult::Cancel);
        EXPECT_TRUE(cancels.empty());
    }
}

TEST_F(CaptureDialog, TheFirstEndMessageDecides) {
    Open();
    dialog->PostEndMessage(1);
    dialog->PostEndMessage(0);
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Cancel);
}

TEST_F(CaptureDialog, AnEndServedBeforeTheLoopEndsItAtOnce) {
    Open();
    dialog->PostEndMessage(0);
    platform::CurrentWindowSystem()->DispatchPending();
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Ok);
}

TEST_F(CaptureDialog, CancelGoesToTheControllerAndNeverCloses) {
    endOnCancel = false;
    Open();
    view->PressCancel(false);
    view->PressCancel(true);
    EXPECT_EQ(cancels, (std::vector<bool>{false, true}));
    EXPECT_TRUE(dialog->IsWindow());
    EXPECT_FALSE(Shown().loopResult.has_value());
    dialog->PostEndMessage(0);
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Ok);
}

TEST_F(CaptureDialog, ScriptedCancelWaitsForItsLine) {
    view->GetScript()->Push({true, "Waiting for exposure"});
    Open();
    std::thread worker([&] {
        dialog->AppendStatusLine("Device: Flushing sensor (50%)");
        dialog->AppendStatusLine("Device: Waiting for exposure (0%)");
    });
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Cancel);
    worker.join();
    EXPECT_EQ(cancels, std::vector<bool>{true});
    EXPECT_EQ(linesAtCancel, 4u);
}

TEST_F(CaptureDialog, ScriptedCancelWithoutLineComesAtOnce) {
    view->GetScript()->Push({false, ""});
    Open();
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Cancel);
    EXPECT_EQ(cancels, std::vector<bool>{false});
    EXPECT_TRUE(dialog->IsWindow());
}

TEST_F(CaptureDialog, DestroyStopsTheTimerAndEndsTheWindow) {
    Open();
    dialog->Destroy();
    ui::CaptureDialogRecord shown = Shown();
    EXPECT_FALSE(shown.timerRunning);
    EXPECT_TRUE(shown.destroyed);
    EXPECT_FALSE(dialog->IsWindow());
    EXPECT_FALSE(dialog->PostEndMessage(0));
    EXPECT_FALSE(dialog->AppendStatusLine("late"));
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Cancel);
    dialog->Destroy();
}

TEST_F(CaptureDialog, AWindowThatCannotBeMadeIsReported) {
    view->FailCreate();
    EXPECT_FALSE(dialog->Create(nullptr));
    EXPECT_FALSE(dialog->IsWindow());
    EXPECT_TRUE(prepings.empty());
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Cancel);
}
