#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "plugin/ui/CaptureDialogView.h"

namespace ui {

// What the capture dialog needs of the capture controller.
struct CaptureDialogHooks {
    // The sensor text sent with SendPreping when the dialog opens.
    std::function<std::string()> describeSensor;
    std::function<void(const std::string& text)> sendPreping;
    // Cancel pressed; the dialog stays open.
    std::function<void(bool modifierHeld)> cancel;
};

// CCaptureXrayDlg: the modeless dialog that stands open while a capture runs.
// Create, Show, RunModalLoop and Destroy run on the UI thread; PostEndMessage
// and AppendStatusLine may come from the capture worker.
class CCaptureXrayDlg final : private CaptureDialogEvents {
public:
    CCaptureXrayDlg(std::unique_ptr<CaptureDialogView> view, CaptureDialogHooks hooks);
    // A view of this build (DialogViews()).
    explicit CCaptureXrayDlg(CaptureDialogHooks hooks);
    ~CCaptureXrayDlg();
    CCaptureXrayDlg(const CCaptureXrayDlg&) = delete;
    CCaptureXrayDlg& operator=(const CCaptureXrayDlg&) = delete;

    // Before Create: the masks the teeth text is made from.
    void SetTeeth(unsigned permanentTeeth, unsigned primaryTeeth);
    // The modeless window; it opens minimised with its timer running.
    bool Create(void* parent);
    void Show();
    bool IsWindow() const;
    platform::WindowHandle Window() const;
    // Until the end message: OK for lParam 0, Cancel otherwise. The first end
    // message decides, even one that arrived before the loop started.
    DialogResult RunModalLoop();
    // Stops the timer and destroys the window.
    void Destroy();

    bool PostEndMessage(std::intptr_t lParam);
    bool AppendStatusLine(const std::string& line);

    unsigned long ElapsedSeconds() const { return elapsedSeconds_; }

private:
    void OnOpening() override;
    void OnTimer(std::uintptr_t timerId) override;
    void OnCancel(bool modifierHeld) override;
    void OnEndMessage(std::intptr_t lParam) override;
    void OnStatusLine(const std::string& line) override;
    void SetStyles();

    std::unique_ptr<CaptureDialogView> view_;
    CaptureDialogHooks hooks_;
    unsigned permanentTeeth_ = 0;
    unsigned primaryTeeth_ = 0;
    unsigned long elapsedSeconds_ = 0;
    std::optional<DialogResult> endResult_;
};

} // namespace ui
