#include "hardware/SensorSettings.h"

#include "support/FileHelpers.h"
#include "support/TextCase.h"
#include "support/Translation.h"
#include "support/xml/XmlDocument.h"
#include "support/xml/XmlParser.h"

namespace {

void SetAllAttributes(const CKXMLCodexElement& element, CHardwareProperties& set) {
    for (std::size_t i = 0; i < element.GetAttributeCount(); ++i) {
        const CKXMLCodexAttribute* attribute = element.GetAttribute(i);
        set.Set(attribute->GetName(), attribute->GetValue());
    }
}

} // namespace

bool SensorSettings::Load(const std::string& dataDirectory) {
    std::string path = dataDirectory + "\\settings.xml";
    std::int64_t stamp = ksp::GetModifiedTime(path);
    if (loaded_ && stamp == loadedStamp_)
        return true;
    // The sets go now: until a load succeeds again, no stamp counts as loaded.
    sets_.clear();
    loaded_ = false;
    std::uint32_t size = 0;
    std::unique_ptr<char[]> text = ksp::ReadWholeFile(path, size);
    if (!text) {
        SetTranslatedError("The settings file '%s' could not be found.  Please check the "
                           "installation and then retry the operation.",
                           path.c_str());
        return false;
    }
    if (!Parse(text.get(), path))
        return false;
    loadedStamp_ = stamp;
    loaded_ = true;
    return true;
}

bool SensorSettings::Parse(const char* text, const std::string& path) {
    CKXMLCodexDocument document;
    CKXMLCodexParser parser;
    if (!parser.Parse(text, &document, false) || document.GetRootElement() == nullptr) {
        SetTranslatedError("The settings file '%s' could not be properly interrupted.  Please "
                           "check the installation and then retry the operation.",
                           path.c_str());
        return false;
    }
    const CKXMLCodexElement& root = *document.GetRootElement();
    CHardwareProperties common("COMMON");
    for (const CKXMLCodexElement& element : root.ChildElements()) {
        if (EqualsIgnoringCase(element.GetName(), "SENSOR")) {
            const CKXMLCodexAttribute* id = element.FindAttribute("id");
            if (id == nullptr)
                continue;
            sets_.push_back(std::make_unique<CHardwareProperties>(ToUpperText(id->GetValue())));
            SetAllAttributes(element, *sets_.back());
        } else if (element.GetName() == "Debug") {
            SetAllAttributes(element, common);
        }
    }
    for (const auto& set : sets_)
        common.CopyInto(*set);
    return true;
}

const CHardwareProperties* SensorSettings::Find(const std::string& familyKey) const {
    for (const auto& set : sets_)
        if (EqualsIgnoringCase(set->Name(), familyKey))
            return set.get();
    return nullptr;
}

bool SensorSettings::CopyInto(const std::string& familyKey, CHardwareProperties& target) const {
    const CHardwareProperties* set = Find(familyKey);
    if (set == nullptr)
        return false;
    set->CopyInto(target);
    return true;
}
