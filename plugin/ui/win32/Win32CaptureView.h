#pragma once

#include <windows.h>

#include <atomic>

#include "plugin/ui/CaptureDialogView.h"
#include "plugin/ui/win32/StyledTexts.h"

namespace ui {

// The capture dialog from template 9001, modeless, with its own modal loop.
class Win32CaptureView : public CaptureDialogView {
public:
    ~Win32CaptureView() override;

    bool Create(void* parent, CaptureDialogEvents& events) override;
    void Show() override;
    bool IsWindow() const override { return window_.load() != nullptr; }
    platform::WindowHandle Window() const override;
    void Destroy() override;

    void SetText(CaptureText text, const std::string& value) override;
    void SetTextStyle(CaptureText text, const TextStyle& style) override;
    void AddStatusLine(const std::string& line) override;
    void Minimise() override;
    void StartTimer(std::uintptr_t id, unsigned periodMilliseconds) override;
    void StopTimer(std::uintptr_t id) override;

    DialogResult RunModalLoop() override;
    void EndModalLoop(DialogResult result) override;

    bool PostEndMessage(std::intptr_t lParam) override;
    bool SendStatusLine(const std::string& line) override;

    void Attach(HWND window) { window_ = window; }
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND Control(CaptureText text) const;
    INT_PTR HandleCommand(WPARAM wParam);

    std::atomic<HWND> window_{nullptr};
    CaptureDialogEvents* events_ = nullptr;
    StyledTexts texts_;
    bool ended_ = false;
    DialogResult result_ = DialogResult::Cancel;
};

} // namespace ui
