#include "plugin/PluginState.h"
#include "plugin/Logs.h"
#include "plugin/UnavailableController.h"
#include "support/Translation.h"

PluginModule::PluginModule() : controller_(std::make_unique<UnavailableController>()) {
    SetTranslationHook(&Translate);
}

PluginModule& PluginModule::Instance() {
    static PluginModule module;
    return module;
}

CaptureController& PluginModule::Controller() {
    return *controller_;
}

void PluginModule::SetController(std::unique_ptr<CaptureController> controller) {
    controller_ = controller ? std::move(controller) : std::make_unique<UnavailableController>();
}

void PluginModule::Reset() {
    state = PluginState{};
    translator = Translator{};
    SetLastErrorText("");
}

std::string Translate(const std::string& text) {
    return PluginModule::Instance().translator.Translate(text);
}

const CapturedImage* UnavailableController::CaptureSingleImage(unsigned, unsigned) {
    SetLastErrorText(Translate("No Tovi USB II Sensor Detected"));
    return nullptr;
}

const CapturedImage* UnavailableController::CaptureSingleImage16Bit(unsigned p, unsigned q) {
    return CaptureSingleImage(p, q);
}
