#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/ui/headless/ScriptQueue.h"
#include "plugin/ui/options/OptionsSheetView.h"

namespace ui {

struct OptionsSheetRecord {
    bool opened = false;
    void* parent = nullptr;
    std::string caption;
    std::string note;
    std::vector<OptionsPageInfo> pages;
    // Every page the user tried to open, and whether it opened.
    std::vector<std::pair<OptionsPage, bool>> activations;
    // The page showing when the sheet closed.
    OptionsPage active = OptionsPage::General;
    // What the opened pages' controls held when the sheet closed.
    std::map<OptionsPage, PageValues> values;
    // OK presses the sheet refused.
    int refusedOks = 0;
    std::optional<DialogResult> result;
};

// A user's step on the sheet.
struct OptionsSheetAction {
    enum class Kind { Open, Edit, Defaults, Ok, Cancel };
    Kind kind = Kind::Ok;
    OptionsPage page = OptionsPage::General;
    std::function<void(PageValues&)> edit;

    static OptionsSheetAction Open(OptionsPage page) { return {Kind::Open, page, {}}; }
    // Changes an opened page's controls.
    template <typename Values>
    static OptionsSheetAction Edit(OptionsPage page, std::function<void(Values&)> change) {
        return {Kind::Edit, page, [change](PageValues& values) {
                    if (auto* typed = std::get_if<Values>(&values))
                        change(*typed);
                }};
    }
    static OptionsSheetAction Defaults(OptionsPage page) { return {Kind::Defaults, page, {}}; }
    static OptionsSheetAction Ok() { return {Kind::Ok, OptionsPage::General, {}}; }
    static OptionsSheetAction Cancel() { return {Kind::Cancel, OptionsPage::General, {}}; }
};

// The sheet without a display. When the script runs out, OK is pressed once;
// if the sheet stays open, Cancel.
class HeadlessOptionsSheetView : public OptionsSheetView,
                                 public ScriptedView<OptionsSheetAction, OptionsSheetRecord> {
public:
    explicit HeadlessOptionsSheetView(std::shared_ptr<Script> script = std::make_shared<Script>(),
                                      std::shared_ptr<Record> record = std::make_shared<Record>());

    DialogResult RunModal(void* parent, const std::string& caption,
                          const std::vector<OptionsPageInfo>& pages, const std::string& note,
                          OptionsSheetEvents& events) override;
    void SetValues(OptionsPage page, const PageValues& values) override;
    PageValues Values(OptionsPage page) override;
    void ActivateFirstPage() override;
    void* Window() const override { return nullptr; }

private:
    OptionsSheetAction NextAction(bool& okPressed);
    void Activate(OptionsPage page, OptionsSheetEvents& events);
    DialogResult Close(DialogResult result);

    std::vector<OptionsPageInfo> pages_;
    OptionsPage active_ = OptionsPage::General;
    std::map<OptionsPage, PageValues> values_;
};

// The password prompt without a display: the script's text is typed and OK
// pressed; an empty script, or an empty entry in it, presses Cancel.
struct PasswordDialogRecord {
    int shown = 0;
    std::string caption;
    std::string label;
    TextStyle labelStyle;
    std::string message;
    TextStyle messageStyle;
    Colour messageBackground;
    bool sounded = false;
};

class HeadlessPasswordView : public PasswordDialogView,
                             public ScriptedView<std::optional<std::string>, PasswordDialogRecord> {
public:
    explicit HeadlessPasswordView(std::shared_ptr<Script> script = std::make_shared<Script>(),
                                  std::shared_ptr<Record> record = std::make_shared<Record>());

    std::optional<std::string> RunModal(void* parent) override;
    void SetCaption(const std::string& caption) override;
    void SetLabel(const std::string& text, const TextStyle& style) override;
    void SetMessage(const std::string& text, const TextStyle& style, Colour background) override;
    void PlayDefaultSound() override;
};

} // namespace ui
