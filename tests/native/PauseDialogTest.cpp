#include <gtest/gtest.h>

#include <memory>

#include "plugin/ui/DialogViews.h"
#include "plugin/ui/PauseDialog.h"
#include "plugin/ui/headless/HeadlessDialogViews.h"
#include "plugin/ui/headless/HeadlessPauseView.h"

using ui::DialogResult;
using ui::PauseAction;
using ui::PauseButton;

namespace {

struct PauseRun {
    DialogResult result;
    ui::PauseDialogRecord shown;
};

PauseRun RunPause(std::initializer_list<PauseAction> actions) {
    auto view = std::make_unique<ui::HeadlessPauseView>();
    auto record = view->GetRecord();
    for (PauseAction action : actions)
        view->GetScript()->Push(action);
    ui::CLayoutCapturePauseDlg dialog(std::move(view));
    DialogResult result = dialog.DoModal(reinterpret_cast<void*>(0x55));
    return {result, record->Snapshot()};
}

} // namespace

TEST(PauseDialog, ButtonsCarryTheirBitmapsOnLightGrey) {
    PauseRun run = RunPause({PauseAction::Continue});
    EXPECT_EQ(run.shown.parent, reinterpret_cast<void*>(0x55));
    ASSERT_EQ(run.shown.bitmaps.size(), 2u);
    EXPECT_EQ(run.shown.bitmaps[PauseButton::Continue].first, 146);
    EXPECT_EQ(run.shown.bitmaps[PauseButton::Abort].first, 147);
    for (auto& [button, bitmap] : run.shown.bitmaps)
        EXPECT_EQ(bitmap.second, (ui::Colour{192, 192, 192}));
}

TEST(PauseDialog, ContinueIsOkAbortAndEscapeAreCancel) {
    EXPECT_EQ(RunPause({PauseAction::Continue}).result, DialogResult::Ok);
    EXPECT_EQ(RunPause({PauseAction::Abort}).result, DialogResult::Cancel);
    EXPECT_EQ(RunPause({PauseAction::Escape}).result, DialogResult::Cancel);
    EXPECT_EQ(static_cast<int>(DialogResult::Ok), 1);
    EXPECT_EQ(static_cast<int>(DialogResult::Cancel), 2);
}

TEST(PauseDialog, AnEmptyScriptContinues) {
    EXPECT_EQ(RunPause({}).result, DialogResult::Ok);
}

TEST(PauseDialog, TheInstalledViewsServeTheDialogInTurn) {
    auto views = std::make_shared<ui::HeadlessDialogViews>();
    ui::SetDialogViews(views);
    views->Script(PauseAction::Continue);
    views->Script(PauseAction::Abort);
    EXPECT_EQ(ui::CLayoutCapturePauseDlg().DoModal(nullptr), DialogResult::Ok);
    EXPECT_EQ(ui::CLayoutCapturePauseDlg().DoModal(nullptr), DialogResult::Cancel);
    ui::SetDialogViews(nullptr);
    ASSERT_EQ(views->PauseDialogs().size(), 2u);
    EXPECT_EQ(views->PauseDialogs()[1].result, DialogResult::Cancel);
}
