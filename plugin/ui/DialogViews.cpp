#include "plugin/ui/DialogViews.h"

#include "platform/PortSlot.h"

namespace ui {

std::shared_ptr<DialogViewFactory> CurrentDialogViews() {
    return platform::SlotOf<DialogViewFactory, SystemDialogViews>().Get();
}

void SetDialogViews(std::shared_ptr<DialogViewFactory> views) {
    platform::SlotOf<DialogViewFactory, SystemDialogViews>().Set(std::move(views));
}

} // namespace ui
