#include "platform/MessageBox.h"

namespace platform {

std::unique_ptr<MessageBoxPort> CreateSystemMessageBoxes();

namespace {
std::unique_ptr<MessageBoxPort>& Installed() {
    static std::unique_ptr<MessageBoxPort> boxes = CreateSystemMessageBoxes();
    return boxes;
}
} // namespace

MessageBoxPort& MessageBoxes() {
    return *Installed();
}

void SetMessageBoxes(std::unique_ptr<MessageBoxPort> boxes) {
    Installed() = boxes ? std::move(boxes) : CreateSystemMessageBoxes();
}

} // namespace platform
