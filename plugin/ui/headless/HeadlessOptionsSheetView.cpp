#include "plugin/ui/headless/HeadlessOptionsSheetView.h"

namespace ui {

HeadlessOptionsSheetView::HeadlessOptionsSheetView(std::shared_ptr<Script> script,
                                                   std::shared_ptr<Record> record)
    : ScriptedView(std::move(script), std::move(record)) {}

DialogResult HeadlessOptionsSheetView::RunModal(void* parent, const std::string& caption,
                                                const std::vector<OptionsPageInfo>& pages,
                                                const std::string& note,
                                                OptionsSheetEvents& events) {
    pages_ = pages;
    values_.clear();
    record_->Update([&](OptionsSheetRecord& record) {
        record.opened = true;
        record.parent = parent;
        record.caption = caption;
        record.note = note;
        record.pages = pages;
    });
    if (pages_.empty())
        return Close(DialogResult::Cancel);
    Activate(pages_.front().page, events);
    bool okPressed = false;
    for (;;) {
        OptionsSheetAction action = NextAction(okPressed);
        switch (action.kind) {
        case OptionsSheetAction::Kind::Open:
            Activate(action.page, events);
            break;
        case OptionsSheetAction::Kind::Edit:
            if (auto found = values_.find(action.page); found != values_.end() && action.edit)
                action.edit(found->second);
            break;
        case OptionsSheetAction::Kind::Defaults:
            events.OnDefaults(action.page);
            break;
        case OptionsSheetAction::Kind::Ok:
            if (events.OnOk())
                return Close(DialogResult::Ok);
            record_->Update([](OptionsSheetRecord& record) { ++record.refusedOks; });
            break;
        case OptionsSheetAction::Kind::Cancel:
            return Close(DialogResult::Cancel);
        }
    }
}

OptionsSheetAction HeadlessOptionsSheetView::NextAction(bool& okPressed) {
    if (std::optional<OptionsSheetAction> action = script_->Pop())
        return *action;
    if (okPressed)
        return OptionsSheetAction::Cancel();
    okPressed = true;
    return OptionsSheetAction::Ok();
}

void HeadlessOptionsSheetView::Activate(OptionsPage page, OptionsSheetEvents& events) {
    const bool opened = events.OnPageActivating(page);
    if (opened)
        active_ = page;
    record_->Update([&](OptionsSheetRecord& record) {
        record.activations.push_back({page, opened});
    });
}

DialogResult HeadlessOptionsSheetView::Close(DialogResult result) {
    record_->Update([&](OptionsSheetRecord& record) {
        record.active = active_;
        record.values = values_;
        record.result = result;
    });
    return result;
}

void HeadlessOptionsSheetView::SetValues(OptionsPage page, const PageValues& values) {
    values_.insert_or_assign(page, values);
}

PageValues HeadlessOptionsSheetView::Values(OptionsPage page) {
    auto found = values_.find(page);
    return found != values_.end() ? found->second : PageValues{};
}

void HeadlessOptionsSheetView::ActivateFirstPage() {
    if (!pages_.empty())
        active_ = pages_.front().page;
}

HeadlessPasswordView::HeadlessPasswordView(std::shared_ptr<Script> script,
                                           std::shared_ptr<Record> record)
    : ScriptedView(std::move(script), std::move(record)) {}

std::optional<std::string> HeadlessPasswordView::RunModal(void*) {
    record_->Update([](PasswordDialogRecord& record) { ++record.shown; });
    std::optional<std::optional<std::string>> typed = script_->Pop();
    return typed ? *typed : std::nullopt;
}

void HeadlessPasswordView::SetCaption(const std::string& caption) {
    record_->Update([&](PasswordDialogRecord& record) { record.caption = caption; });
}

void HeadlessPasswordView::SetLabel(const std::string& text, const TextStyle& style) {
    record_->Update([&](PasswordDialogRecord& record) {
        record.label = text;
        record.labelStyle = style;
    });
}

void HeadlessPasswordView::SetMessage(const std::string& text, const TextStyle& style,
                                      Colour background) {
    record_->Update([&](PasswordDialogRecord& record) {
        record.message = text;
        record.messageStyle = style;
        record.messageBackground = background;
    });
}

void HeadlessPasswordView::PlayDefaultSound() {
    record_->Update([](PasswordDialogRecord& record) { record.sounded = true; });
}

} // namespace ui
