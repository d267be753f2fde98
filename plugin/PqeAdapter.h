#pragma once

#include <cstdint>
#include <memory>

#include "platform/DynamicLibrary.h"
#include "plugin/ImageHandOff.h"

// The optional external enhancement library "pqekip.dll": loaded on first
// need, called through four plain functions, unloaded with the adapter.
class CPQEDLL_IFace : public ImageEnhancer {
public:
    CPQEDLL_IFace() = default;
    ~CPQEDLL_IFace() override;
    CPQEDLL_IFace(const CPQEDLL_IFace&) = delete;
    CPQEDLL_IFace& operator=(const CPQEDLL_IFace&) = delete;

    // 1 when the library is loaded (now or earlier), 0 otherwise.
    int Load();
    std::unique_ptr<CKIPImage16Bit> Enhance(const CKIPImage16Bit& image,
                                            std::int32_t level) override;
    void Unload();
    // The capture dialog's window, handed to the library's Init.
    void SetWindow(void* window) override { window_ = window; }

private:
    using InitFunction = void (*)(void* window);
    using ProcessImageFunction = void (*)(void* source, void* destination, int, int);
    using CloseFunction = void (*)();

    void* Find(const char* plain, const char* decorated) const;
    void LookUpFunctions();
    bool ReportMissingFunctions() const;

    std::unique_ptr<platform::DynamicLibrary> module_;
    InitFunction init_ = nullptr;
    void* processPreview_ = nullptr; // required by the check, never called
    ProcessImageFunction processImage_ = nullptr;
    CloseFunction close_ = nullptr;
    void* window_ = nullptr;
};
