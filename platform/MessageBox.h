#pragma once

#include <memory>
#include <string>

namespace platform {

// Message-box styles and answers with their Windows values.
enum MessageBoxStyle : unsigned {
    kBoxOk = 0x0000,
    kBoxOkCancel = 0x0001,
    kBoxYesNo = 0x0004,
    kBoxIconWarning = 0x0030,
    kBoxApplicationModal = 0x0000,
    kBoxTaskModal = 0x2000,
    kBoxSetForeground = 0x10000,
    kBoxTopmost = 0x40000,
};

enum MessageBoxAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    virtual int Show(void* owner, const std::string& text, const std::string& caption,
                     unsigned style) = 0;
};

// The backend of this build: real boxes on Windows, the headless recorder natively.
MessageBoxPort& MessageBoxes();

// Replaces the backend (tests); null restores the build's own.
void SetMessageBoxes(std::unique_ptr<MessageBoxPort> boxes);

} // namespace platform
