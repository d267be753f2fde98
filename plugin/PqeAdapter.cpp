#include "plugin/PqeAdapter.h"

#include "image/BitmapExchange.h"
#include "platform/MessageBox.h"
#include "plugin/PluginState.h"

namespace {

const char* const kLibraryName = "pqekip.dll";

void Warn(const std::string& caption, const std::string& text) {
    platform::MessageBoxes().Show(PluginModule::Instance().state.mainWindow, text, caption,
                                  platform::kBoxOk | platform::kBoxIconWarning |
                                      platform::kBoxTaskModal | platform::kBoxTopmost |
                                      platform::kBoxSetForeground);
}

// The format comes from the translation, so it is never given to printf: each
// "%s" it keeps takes the next value, in order.
std::string Filled(std::string text, std::initializer_list<std::string> values) {
    std::size_t at = 0;
    for (const std::string& value : values) {
        at = text.find("%s", at);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        at += value.size();
    }
    return text;
}

struct Parameters {
    int third, fourth;
};

Parameters ParametersOf(std::int32_t level) {
    if (level == 1)
        return {62, 13};
    if (level == 3)
        return {38, 3};
    return {50, 9};
}

// Both bitmaps deleted however the enhancement ends.
struct BitmapPair {
    platform::BitmapHandle source = nullptr, destination = nullptr;
    ~BitmapPair() {
        platform::DeleteBitmap(source);
        platform::DeleteBitmap(destination);
    }
};

} // namespace

CPQEDLL_IFace::~CPQEDLL_IFace() {
    Unload();
}

void* CPQEDLL_IFace::Find(const char* plain, const char* decorated) const {
    if (void* address = module_->Symbol(plain))
        return address;
    return module_->Symbol(decorated);
}

void CPQEDLL_IFace::LookUpFunctions() {
    init_ = reinterpret_cast<InitFunction>(Find("Init", "?Init@@YAXPAUHWND__@@@Z"));
    processPreview_ = Find("ProcessPreview", "?ProcessPreview@@YAXPAUHBITMAP__@@0UtagRECT@@MHHE@Z");
    processImage_ = reinterpret_cast<ProcessImageFunction>(
        Find("ProcessImage", "?ProcessImage@@YAXPAUHBITMAP__@@0HH@Z"));
    close_ = reinterpret_cast<CloseFunction>(Find("Close", "?Close@@YAXXZ"));
}

// True when a function is missing (the warning has been shown).
bool CPQEDLL_IFace::ReportMissingFunctions() const {
    std::string missing;
    auto note = [&](bool found, const char* name) {
        if (!found)
            missing += (missing.empty() ? "" : ", ") + std::string(name);
    };
    note(init_ != nullptr, "Init()");
    note(processPreview_ != nullptr, "ProcessPreview()");
    note(processImage_ != nullptr, "ProcessImage()");
    note(close_ != nullptr, "Close()");
    if (missing.empty())
        return false;
    Warn(Translate("Imaging Function Warning"),
         Filled(Translate("WARNING!  The imaging DLL '%s' did not contain the following "
                          "functions!  This may result in limited image capture "
                          "functionality!\n\n%s"),
                {kLibraryName, missing}));
    return true;
}

int CPQEDLL_IFace::Load() {
    if (module_)
        return 1;
    init_ = nullptr;
    processPreview_ = nullptr;
    processImage_ = nullptr;
    close_ = nullptr;
    const std::string path = platform::FindLibraryFile(kLibraryName);
    if (!path.empty())
        module_ = platform::LoadDynamicLibrary(path);
    if (!module_) {
        SetLastErrorText(Filled(Translate("Unable to load imaging DLL '%s'"), {kLibraryName}));
        Warn(Translate("PQE Enhancement"),
             Filled(Translate("The PQE enhancement could not be applied.  The '%s' DLL file "
                              "could not be loaded"),
                    {kLibraryName}));
        return 0;
    }
    LookUpFunctions();
    if (ReportMissingFunctions())
        return 0;
    init_(window_);
    return 1;
}

std::unique_ptr<CKIPImage16Bit> CPQEDLL_IFace::Enhance(const CKIPImage16Bit& image,
                                                       std::int32_t level) {
    if (Load() == 0 || level == 0 || processImage_ == nullptr || !image.IsValid())
        return nullptr;
    const Parameters parameters = ParametersOf(level);
    BitmapPair bitmaps;
    bitmaps.source = CreateDIBSection16(image);
    bitmaps.destination = CreateDIBSection16(image);
    if (bitmaps.source == nullptr || bitmaps.destination == nullptr)
        return nullptr;
    processImage_(bitmaps.source, bitmaps.destination, parameters.third, parameters.fourth);
    std::unique_ptr<CKIPImage16Bit> result = Image16FromBitmap(bitmaps.destination);
    if (result)
        result->SetResolution(image.GetResolutionX(), image.GetResolutionY());
    return result;
}

void CPQEDLL_IFace::Unload() {
    if (!module_)
        return;
    if (close_ != nullptr)
        close_();
    init_ = nullptr;
    processPreview_ = nullptr;
    processImage_ = nullptr;
    close_ = nullptr;
    module_.reset();
}
