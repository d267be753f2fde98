#include "plugin/ui/headless/ConsoleDialogViews.h"

#include <cstdio>
#include <string>
#include <variant>

namespace ui {
namespace {

// A script that presses Cancel once the dialog has shown itself.
template <typename Action> std::shared_ptr<ScriptQueue<Action>> CancelScript() {
    auto script = std::make_shared<ScriptQueue<Action>>();
    script->Push(Action::Cancel());
    return script;
}

void PrintCells(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& cell : cells)
        line += (line.empty() ? "  " : " | ") + cell;
    std::printf("%s\n", line.c_str());
}

class ConsoleSelectSensorView : public HeadlessSelectSensorView {
public:
    ConsoleSelectSensorView()
        : HeadlessSelectSensorView(CancelScript<SelectSensorAction>(), std::make_shared<Record>()) {
    }
    void SetMessage(const std::string& text, const TextStyle& style) override {
        std::printf("Select Sensor: %s\n", text.c_str());
        HeadlessSelectSensorView::SetMessage(text, style);
    }
    void SetColumns(const std::vector<std::string>& titles) override {
        titles_ = titles;
        HeadlessSelectSensorView::SetColumns(titles);
    }
    // The column titles head the first row, below the message.
    void AddRow(const std::vector<std::string>& cells) override {
        if (!titles_.empty())
            PrintCells(titles_);
        titles_.clear();
        PrintCells(cells);
        HeadlessSelectSensorView::AddRow(cells);
    }

private:
    std::vector<std::string> titles_;
};

class ConsoleOptionsSheetView : public HeadlessOptionsSheetView {
public:
    ConsoleOptionsSheetView()
        : HeadlessOptionsSheetView(CancelScript<OptionsSheetAction>(), std::make_shared<Record>()) {
    }
    void SetValues(OptionsPage page, const PageValues& values) override {
        if (const auto* general = std::get_if<GeneralValues>(&values)) {
            std::printf("Hardware Detected:\n");
            std::size_t start = 0;
            while (start < general->hardware.size()) {
                std::size_t end = general->hardware.find('\n', start);
                end = end == std::string::npos ? general->hardware.size() : end;
                std::printf("  %s\n", general->hardware.substr(start, end - start).c_str());
                start = end + 1;
            }
        }
        HeadlessOptionsSheetView::SetValues(page, values);
    }
};

} // namespace

std::unique_ptr<CaptureDialogView> ConsoleDialogViews::CreateCaptureView() {
    return headless_.CreateCaptureView();
}

std::unique_ptr<SelectSensorView> ConsoleDialogViews::CreateSelectSensorView() {
    return std::make_unique<ConsoleSelectSensorView>();
}

std::unique_ptr<PauseDialogView> ConsoleDialogViews::CreatePauseView() {
    return headless_.CreatePauseView();
}

std::unique_ptr<OptionsSheetView> ConsoleDialogViews::CreateOptionsSheetView() {
    return std::make_unique<ConsoleOptionsSheetView>();
}

std::unique_ptr<PasswordDialogView> ConsoleDialogViews::CreatePasswordView() {
    return headless_.CreatePasswordView();
}

} // namespace ui
