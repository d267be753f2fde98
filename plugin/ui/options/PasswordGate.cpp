#include "plugin/ui/options/PasswordGate.h"

#include "plugin/PluginState.h"

namespace ui {

namespace {
// Compared exactly, letter case included.
const char* const kPassword = "radiofennel";
} // namespace

PasswordGate& PasswordGate::Module() {
    static PasswordGate gate;
    return gate;
}

bool PasswordGate::Admit(const Prompt& prompt, const Warning& warn) {
    if (remembered_ == kPassword)
        return true;
    std::optional<std::string> entered = prompt();
    if (!entered)
        return false;
    remembered_ = *entered;
    if (remembered_ == kPassword)
        return true;
    warn(Translate("Invalid password specified"));
    return false;
}

} // namespace ui
