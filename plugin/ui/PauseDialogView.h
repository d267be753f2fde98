#pragma once

#include "plugin/ui/DialogTypes.h"

namespace ui {

enum class PauseButton { Continue, Abort };

// What the pause window reports, on the UI thread.
class PauseDialogEvents {
public:
    virtual void OnOpening() = 0;
    virtual void OnContinue() = 0;
    // "Abort Capturing" or Esc.
    virtual void OnAbort() = 0;

protected:
    ~PauseDialogEvents() = default;
};

// The modal pause window between the captures of a group (template 5005).
class PauseDialogView {
public:
    virtual ~PauseDialogView() = default;
    // Runs the window until End; OnOpening runs first. Cancel when it cannot be shown.
    virtual DialogResult RunModal(void* parent, PauseDialogEvents& events) = 0;
    virtual void End(DialogResult result) = 0;
    // The bitmap resource drawn on the button, with the colour that shows the face through.
    virtual void SetButtonBitmap(PauseButton button, int bitmapId, Colour transparent) = 0;
};

} // namespace ui
