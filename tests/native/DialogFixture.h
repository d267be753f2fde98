#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/HeadlessMessageBoxes.h"
#include "plugin/PluginState.h"

// A fresh module with headless message boxes; Translating() marks every
// translated text with "T:".
class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        PluginModule::Instance().Reset();
        auto owned = std::make_unique<platform::HeadlessMessageBoxes>();
        boxes = owned.get();
        platform::SetMessageBoxes(std::move(owned));
    }
    void TearDown() override {
        platform::SetMessageBoxes(nullptr);
        PluginModule::Instance().Reset();
    }
    static void Translating() { PluginModule::Instance().translator.SetCallback(MarkTranslated); }

    platform::HeadlessMessageBoxes* boxes = nullptr;

private:
    static void SED_CALL MarkTranslated(const char* text, char* out, int size) {
        std::snprintf(out, static_cast<std::size_t>(size), "T:%s", text);
    }
};
