#include <cstdlib>

#include "plugin/ui/headless/ConsoleDialogViews.h"
#include "plugin/ui/headless/HeadlessDialogViews.h"

namespace ui {

// Natively nobody answers: the views answer with their defaults and keep no
// records; with TOVI_CONSOLE_DIALOGS set they also write what they show.
DialogViewFactory& SystemDialogViews() {
    static DialogViewFactory* views =
        std::getenv("TOVI_CONSOLE_DIALOGS") != nullptr
            ? static_cast<DialogViewFactory*>(new ConsoleDialogViews())
            : new HeadlessDialogViews(false);
    return *views;
}

} // namespace ui
