#include "platform/WindowSystem.h"

#include "platform/PortSlot.h"

namespace platform {

std::shared_ptr<WindowSystem> CurrentWindowSystem() {
    return SlotOf<WindowSystem, SystemWindowSystem>().Get();
}

void SetWindowSystem(std::shared_ptr<WindowSystem> windows) {
    SlotOf<WindowSystem, SystemWindowSystem>().Set(std::move(windows));
}

} // namespace platform
