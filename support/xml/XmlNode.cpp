#include "support/xml/XmlNode.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "platform/LocalTime.h"
#include "support/TextFormat.h"
#include "support/xml/XmlDocument.h"
#include "support/xml/XmlNames.h"
#include "support/xml/XmlOutput.h"

std::string XmlKindName(std::int32_t kind) {
    static const char* const names[] = {
        "NULL",         "Element",         "Attribute",    "Text",
        "CDATASection", "EntityReference", "Entity",       "ProcessingInstruction",
        "Comment",      "Document",        "DocumentType", "Notation"};
    if (kind >= 0 && kind < kXmlMixed)
        return names[kind];
    return FormatText("Unknown Node Type %lu", static_cast<unsigned long>(kind));
}

namespace {
std::atomic<std::uint64_t> childVisits{0};
} // namespace

std::uint64_t XmlChildVisits() {
    return childVisits.load(std::memory_order_relaxed);
}

CKXMLCodexElement& XmlChildElements::Iterator::operator*() const {
    return static_cast<CKXMLCodexElement&>(**at_);
}

XmlChildElements::Iterator& XmlChildElements::Iterator::operator++() {
    ++at_;
    SkipOtherKinds();
    return *this;
}

void XmlChildElements::Iterator::SkipOtherKinds() {
    for (; at_ != end_; ++at_) {
        childVisits.fetch_add(1, std::memory_order_relaxed);
        if ((*at_)->IsElement())
            return;
    }
}

void CKXMLCodexNode::Clear() {
    kind_ = kXmlNull;
    name_.clear();
    value_.clear();
    owner_ = nullptr;
    parent_ = nullptr;
    children_.clear();
    attributes_.clear();
}

CKXMLCodexAttribute* CKXMLCodexNode::AddAttribute(const std::string& name,
                                                  const std::string& value) {
    if (owner_ == nullptr || name.empty())
        return nullptr;
    std::unique_ptr<CKXMLCodexAttribute> attribute = owner_->CreateAttribute(this);
    attribute->SetRawName(name);
    attribute->SetValue(value);
    attributes_.push_back(std::move(attribute));
    return attributes_.back().get();
}

std::unique_ptr<CKXMLCodexElement> CKXMLCodexNode::MakeChildElement(const std::string& name,
                                                                    const std::string& value) {
    if (owner_ == nullptr || name.empty())
        return nullptr;
    std::unique_ptr<CKXMLCodexElement> element = owner_->CreateElement(this);
    element->SetName(name);
    element->SetValue(value);
    return element;
}

CKXMLCodexElement* CKXMLCodexNode::AppendChildElement(const std::string& name,
                                                      const std::string& value) {
    return InsertChildElement(static_cast<int>(children_.size()), name, value);
}

CKXMLCodexElement* CKXMLCodexNode::InsertChildElement(int index, const std::string& name,
                                                      const std::string& value) {
    std::unique_ptr<CKXMLCodexElement> element = MakeChildElement(name, value);
    if (!element)
        return nullptr;
    CKXMLCodexElement* result = element.get();
    std::size_t at = index < 0 ? 0 : std::min<std::size_t>(index, children_.size());
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(at), std::move(element));
    return result;
}

void CKXMLCodexNode::AppendChild(std::unique_ptr<CKXMLCodexNode> child) {
    if (child)
        children_.push_back(std::move(child));
}

void CKXMLCodexNode::AppendAttribute(std::unique_ptr<CKXMLCodexAttribute> attribute) {
    if (attribute)
        attributes_.push_back(std::move(attribute));
}

CKXMLCodexAttribute* CKXMLCodexNode::FindAttribute(const std::string& name) const {
    for (const auto& attribute : attributes_) {
        if (XmlNamesEqual(attribute->GetName(), name))
            return attribute.get();
    }
    return nullptr;
}

std::string CKXMLCodexNode::GetAttributeValue(const std::string& name) const {
    const CKXMLCodexAttribute* attribute = FindAttribute(name);
    return attribute != nullptr ? attribute->GetValue() : std::string();
}

bool CKXMLCodexNode::HasOnlyTextChildren() const {
    return !children_.empty() && std::all_of(children_.begin(), children_.end(),
                                             [](const auto& child) { return child->IsText(); });
}

CKXMLCodexNode* CKXMLCodexNode::GetChild(std::size_t index) const {
    return index < children_.size() ? children_[index].get() : nullptr;
}

CKXMLCodexAttribute* CKXMLCodexNode::GetAttribute(std::size_t index) const {
    return index < attributes_.size() ? attributes_[index].get() : nullptr;
}

CKXMLCodexNode* CKXMLCodexNode::FindChild(const std::string& name) const {
    for (const auto& child : children_) {
        if (XmlNamesEqual(child->GetName(), name))
            return child.get();
    }
    return nullptr;
}

std::string CKXMLCodexNode::GetText() const {
    std::string text = value_;
    for (const auto& child : children_) {
        if (!child->IsText())
            continue;
        if (!text.empty())
            text += ' ';
        text += child->GetValue();
    }
    return text;
}

void CKXMLCodexNode::SetName(const std::string& name) {
    name_ = MakeValidXmlName(name, platform::CalendarNow());
}

bool CKXMLCodexNode::Write(CKSPBufferedFile& file, int indent) const {
    if (!file.IsOpenForWrite())
        return false;
    XmlFileOutput output(file);
    return WriteTo(output, indent);
}

bool CKXMLCodexNode::WriteToString(std::string& text, int indent) const {
    XmlStringOutput output(text);
    return WriteTo(output, indent);
}

bool CKXMLCodexElement::WriteTo(XmlOutput& output, int indent) const {
    bool ok = output.PutIndent(indent) && output.Put("<") && output.Put(GetName());
    for (const auto& attribute : Attributes())
        ok = ok && output.Put(" ") && attribute->WriteTo(output, 0);
    if (Children().empty() && GetValue().empty())
        return ok && output.Put("/>\n");
    bool singleText = Children().size() == 1 && Children().front()->IsText();
    bool lineBreak = !Children().empty() && !singleText;
    ok = ok && output.Put(lineBreak ? ">\n" : ">");
    for (const auto& child : Children())
        ok = ok && child->WriteTo(output, indent + 3);
    if (!GetValue().empty())
        ok = ok && output.Put(GetValue());
    if (lineBreak)
        ok = ok && output.PutIndent(indent);
    return ok && output.Put("</") && output.Put(GetName()) && output.Put(">\n");
}

CKXMLCodexElement* CKXMLCodexElement::GetChildElement(std::size_t index) const {
    for (CKXMLCodexElement& element : ChildElements()) {
        if (index-- == 0)
            return &element;
    }
    return nullptr;
}

std::size_t CKXMLCodexElement::GetChildElementCount() const {
    XmlChildElements elements = ChildElements();
    return static_cast<std::size_t>(std::distance(elements.begin(), elements.end()));
}

bool CKXMLCodexAttribute::WriteTo(XmlOutput& output, int) const {
    return output.Put(GetName()) && output.Put("=\"") && output.Put(GetValue()) && output.Put("\"");
}

bool CKXMLCodexText::WriteTo(XmlOutput& output, int) const {
    return output.Put(GetValue());
}

bool CKXMLCodexCDATASection::WriteTo(XmlOutput& output, int indent) const {
    return output.PutIndent(indent) && output.Put("<![CDATA[") && output.Put(GetValue()) &&
           output.Put("]]>");
}

bool CKXMLCodexProcessingInstruction::WriteTo(XmlOutput& output, int indent) const {
    return output.PutIndent(indent) && output.Put("<?") && output.Put(GetName()) &&
           output.Put(" ") && output.Put(GetValue()) && output.Put("?>\n");
}

bool CKXMLCodexComment::WriteTo(XmlOutput& output, int indent) const {
    return output.PutIndent(indent) && output.Put("<!--") && output.Put(GetValue()) &&
           output.Put("-->\n");
}
