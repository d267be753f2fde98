#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <mutex>
#include <vector>

namespace platform {

struct ShownMessageBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
};

// Records every box and answers from a script; an empty script answers OK.
class HeadlessMessageBoxes : public MessageBoxPort {
public:
    int Show(void* owner, const std::string& text, const std::string& caption,
             unsigned style) override;

    void ScriptAnswer(int answer);
    std::vector<ShownMessageBox> Shown() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<ShownMessageBox> shown_;
    std::deque<int> answers_;
};

} // namespace platform
