#include "platform/MessageBox.h"

#include <windows.h>

namespace platform {

namespace {
class Win32MessageBoxes : public MessageBoxPort {
public:
    int Show(void* owner, const std::string& text, const std::string& caption,
             unsigned style) override {
        return ::MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
    }
};
} // namespace

std::unique_ptr<MessageBoxPort> CreateSystemMessageBoxes() {
    return std::make_unique<Win32MessageBoxes>();
}

} // namespace platform
