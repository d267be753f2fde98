#include "plugin/ui/headless/HeadlessPauseView.h"

namespace ui {

HeadlessPauseView::HeadlessPauseView(std::shared_ptr<Script> script, std::shared_ptr<Record> record)
    : ScriptedView(std::move(script), std::move(record)) {}

DialogResult HeadlessPauseView::RunModal(void* parent, PauseDialogEvents& events) {
    result_.reset();
    record_->Update([parent](PauseDialogRecord& record) {
        record.opened = true;
        record.parent = parent;
    });
    events.OnOpening();
    while (!result_) {
        PauseAction action = script_->Pop().value_or(PauseAction::Continue);
        if (action == PauseAction::Continue)
            events.OnContinue();
        else
            events.OnAbort();
    }
    return *result_;
}

void HeadlessPauseView::End(DialogResult result) {
    result_ = result;
    record_->Update([result](PauseDialogRecord& record) { record.result = result; });
}

void HeadlessPauseView::SetButtonBitmap(PauseButton button, int bitmapId, Colour transparent) {
    record_->Update([&](PauseDialogRecord& record) {
        record.bitmaps[button] = {bitmapId, transparent};
    });
}

} // namespace ui
