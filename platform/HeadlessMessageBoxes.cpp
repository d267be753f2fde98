#include "platform/HeadlessMessageBoxes.h"

namespace platform {

int HeadlessMessageBoxes::Show(void*, const std::string& text, const std::string& caption,
                               unsigned style) {
    std::lock_guard lock(mutex_);
    shown_.push_back({text, caption, style});
    if (answers_.empty())
        return kAnswerOk;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void HeadlessMessageBoxes::ScriptAnswer(int answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

std::vector<ShownMessageBox> HeadlessMessageBoxes::Shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

void HeadlessMessageBoxes::Clear() {
    std::lock_guard lock(mutex_);
    shown_.clear();
    answers_.clear();
}

} // namespace platform
