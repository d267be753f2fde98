#include "plugin/PluginState.h"

#include "hardware/DevMgr.h"
#include "plugin/Logs.h"
#include "plugin/PluginDeviceHost.h"
#include "plugin/ToviIFace.h"
#include "support/Translation.h"

namespace {

std::unique_ptr<CaptureController> ModuleController(CPQEDLL_IFace& enhancer) {
    return std::make_unique<CToviIFace>(CDevMgr::Instance(), &enhancer);
}

} // namespace

PluginModule::PluginModule() {
    SetTranslationHook(&Translate);
    // Made before the controller, so the manager outlives the devices it holds.
    CDevMgr::Instance().SetPluginHost(std::make_shared<PluginDeviceHost>());
    controller_ = ModuleController(enhancer);
}

PluginModule& PluginModule::Instance() {
    static PluginModule module;
    return module;
}

CaptureController& PluginModule::Controller() {
    return *controller_;
}

void PluginModule::SetController(std::unique_ptr<CaptureController> controller) {
    controller_ = controller ? std::move(controller) : ModuleController(enhancer);
}

void PluginModule::Reset() {
    state = PluginState{};
    translator = Translator{};
    SetLastErrorText("");
}

std::string Translate(const std::string& text) {
    return PluginModule::Instance().translator.Translate(text);
}
