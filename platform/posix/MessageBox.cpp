#include "platform/HeadlessMessageBoxes.h"

namespace platform {

std::unique_ptr<MessageBoxPort> CreateSystemMessageBoxes() {
    return std::make_unique<HeadlessMessageBoxes>();
}

} // namespace platform
