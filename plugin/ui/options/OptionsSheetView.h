#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/options/OptionsPages.h"

namespace ui {

enum class OptionsPage {
    General,
    Processing2000,
    Adjustments2000,
    ProcessingToviRay,
    AdjustmentsToviRay,
    Calibration,
    Detection,
    Processing2000Plus,
    Adjustments2000Plus,
};

using PageValues = std::variant<GeneralValues, ProcessingValues, AdjustmentValues,
                                CalibrationValues, DetectionValues>;

struct OptionsPageInfo {
    OptionsPage page;
    int dialogId;
    std::string title;
};

// What the sheet reports, on the UI thread.
class OptionsSheetEvents {
public:
    // The page is about to become active; false: it does not open.
    virtual bool OnPageActivating(OptionsPage page) = 0;
    virtual void OnDefaults(OptionsPage page) = 0;
    // OK pressed; false keeps the sheet open.
    virtual bool OnOk() = 0;

protected:
    ~OptionsSheetEvents() = default;
};

// The modal property sheet (template 6000) and its pages' controls.
class OptionsSheetView {
public:
    virtual ~OptionsSheetView() = default;
    // Runs the sheet with these pages, the first one active, and the note under
    // the tabs, until OK is accepted or Cancel; Cancel when it cannot be shown.
    virtual DialogResult RunModal(void* parent, const std::string& caption,
                                  const std::vector<OptionsPageInfo>& pages,
                                  const std::string& note, OptionsSheetEvents& events) = 0;
    // Fills an opened page's controls.
    virtual void SetValues(OptionsPage page, const PageValues& values) = 0;
    // What an opened page's controls hold.
    virtual PageValues Values(OptionsPage page) = 0;
    virtual void ActivateFirstPage() = 0;
    // The running sheet's window, owner of the dialogs it opens; null without one.
    virtual void* Window() const = 0;
};

// The password prompt (template 19001).
class PasswordDialogView {
public:
    virtual ~PasswordDialogView() = default;
    // The entered text on OK; nothing on Cancel or when it cannot be shown.
    // The texts and styles are set before the window shows.
    virtual std::optional<std::string> RunModal(void* parent) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetLabel(const std::string& text, const TextStyle& style) = 0;
    // The message on its background colour.
    virtual void SetMessage(const std::string& text, const TextStyle& style, Colour background) = 0;
    virtual void PlayDefaultSound() = 0;
};

} // namespace ui
