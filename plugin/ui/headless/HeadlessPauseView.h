#pragma once

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "plugin/ui/PauseDialogView.h"
#include "plugin/ui/headless/ScriptQueue.h"

namespace ui {

struct PauseDialogRecord {
    bool opened = false;
    void* parent = nullptr;
    // Bitmap resource and transparent colour of each button.
    std::map<PauseButton, std::pair<int, Colour>> bitmaps;
    std::optional<DialogResult> result;
};

enum class PauseAction { Continue, Abort, Escape };

// The pause window without a display. An empty script presses the default
// button, "Continue With Capture".
class HeadlessPauseView : public PauseDialogView,
                          public ScriptedView<PauseAction, PauseDialogRecord> {
public:
    explicit HeadlessPauseView(std::shared_ptr<Script> script = std::make_shared<Script>(),
                               std::shared_ptr<Record> record = std::make_shared<Record>());

    DialogResult RunModal(void* parent, PauseDialogEvents& events) override;
    void End(DialogResult result) override;
    void SetButtonBitmap(PauseButton button, int bitmapId, Colour transparent) override;

private:
    std::optional<DialogResult> result_;
};

} // namespace ui
