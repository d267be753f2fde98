#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ui {

// The password of the detection page. The last text entered is remembered for
// the module's life; while it matches, the page opens without asking.
class PasswordGate {
public:
    // Asks for the password (none: Cancel).
    using Prompt = std::function<std::optional<std::string>()>;
    // Shows "Invalid password specified".
    using Warning = std::function<void(const std::string& text)>;

    static PasswordGate& Module();

    // Whether the page may open.
    bool Admit(const Prompt& prompt, const Warning& warn);
    // Forgets the remembered text (the module unloading; tests).
    void Forget() { remembered_.clear(); }

private:
    std::string remembered_;
};

} // namespace ui
