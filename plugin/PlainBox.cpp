#include "plugin/PlainBox.h"

#include "platform/MessageBox.h"
#include "plugin/PluginState.h"

void ShowPlainBox(const std::string& text) {
    platform::MessageBoxes().Show(PluginModule::Instance().state.mainWindow, text, kApplicationName,
                                  platform::kBoxOk | platform::kBoxApplicationModal);
}
