#include "support/xml/XmlDocument.h"

#include "support/xml/XmlNames.h"
#include "support/xml/XmlOutput.h"

namespace {

template <typename Node>
Node* AppendNode(std::vector<std::unique_ptr<Node>>& list, std::unique_ptr<Node> node,
                 const std::string& name, const std::string& value) {
    node->SetRawName(name);
    node->SetValue(value);
    list.push_back(std::move(node));
    return list.back().get();
}

bool PutQuoted(XmlOutput& output, const char* label, const std::string& value) {
    return output.Put(label) && output.Put("\"") && output.Put(value) && output.Put("\"");
}

CKXMLCodexElement* FindBelow(CKXMLCodexElement* element, const std::string& name) {
    if (XmlNamesEqual(element->GetName(), name))
        return element;
    for (CKXMLCodexElement& child : element->ChildElements()) {
        if (CKXMLCodexElement* found = FindBelow(&child, name))
            return found;
    }
    return nullptr;
}

} // namespace

void CKXMLCodexDocumentType::Clear() {
    name.clear();
    publicId.clear();
    systemId.clear();
    comments.clear();
    processingInstructions.clear();
    entities.clear();
    notations.clear();
}

bool CKXMLCodexDocumentType::WriteTo(XmlOutput& output) const {
    bool ok = output.Put("<!") && output.Put("DOCTYPE ") && output.Put(name);
    if (!publicId.empty())
        ok = ok && PutQuoted(output, " PUBLIC ", publicId);
    if (!systemId.empty())
        ok = ok && PutQuoted(output, " SYSTEM ", systemId);
    if (!comments.empty() || !processingInstructions.empty()) {
        ok = ok && output.Put("\n[");
        for (const auto& comment : comments)
            ok = ok && comment->WriteTo(output, 0);
        for (const auto& instruction : processingInstructions)
            ok = ok && instruction->WriteTo(output, 0);
        ok = ok && output.Put("]\n");
    }
    return ok && output.Put(">\n");
}

bool CKXMLCodexDocumentType::Write(CKSPBufferedFile& file) const {
    if (!file.IsOpenForWrite())
        return false;
    XmlFileOutput output(file);
    return WriteTo(output);
}

bool CKXMLCodexDocumentType::WriteToString(std::string& text) const {
    XmlStringOutput output(text);
    return WriteTo(output);
}

void CKXMLCodexDocument::Clear() {
    root_.reset();
    docType_.Clear();
    comments_.clear();
    processingInstructions_.clear();
}

void CKXMLCodexDocument::Initialize(const std::string& docTypeName, const std::string& version,
                                    const std::string& encoding, const std::string& standalone) {
    Clear();
    SetDocTypeName(docTypeName);
    docType_.version = version;
    docType_.encoding = encoding;
    docType_.standalone = standalone;
}

void CKXMLCodexDocument::SetDocTypeName(const std::string& name) {
    docType_.name = MakeDocTypeName(name);
}

void CKXMLCodexDocument::SetExternalID(const std::string& publicId, const std::string& systemId) {
    docType_.publicId = publicId;
    docType_.systemId = systemId;
}

CKXMLCodexComment* CKXMLCodexDocument::AddComment(const std::string& text) {
    return AppendNode(comments_, CreateComment(nullptr), "", text);
}

CKXMLCodexProcessingInstruction*
CKXMLCodexDocument::AddProcessingInstruction(const std::string& target, const std::string& data) {
    return AppendNode(processingInstructions_, CreateProcessingInstruction(nullptr), target, data);
}

CKXMLCodexComment* CKXMLCodexDocument::AddDocTypeComment(const std::string& text) {
    return AppendNode(docType_.comments, CreateComment(nullptr), "", text);
}

CKXMLCodexProcessingInstruction*
CKXMLCodexDocument::AddDocTypeProcessingInstruction(const std::string& target,
                                                    const std::string& data) {
    return AppendNode(docType_.processingInstructions, CreateProcessingInstruction(nullptr), target,
                      data);
}

CKXMLCodexElement* CKXMLCodexDocument::CreateRootElement(const std::string& name,
                                                         const std::string& value) {
    root_ = CreateElement(nullptr);
    root_->SetRawName(name);
    root_->SetValue(value);
    return root_.get();
}

CKXMLCodexElement* CKXMLCodexDocument::FindElement(const std::string& name) const {
    return root_ ? FindBelow(root_.get(), name) : nullptr;
}

std::string CKXMLCodexDocument::GetElementValue(const std::string& name) const {
    const CKXMLCodexElement* element = FindElement(name);
    return element != nullptr ? element->GetValue() : std::string();
}

bool CKXMLCodexDocument::WriteTo(XmlOutput& output) const {
    std::string rootName = root_ ? root_->GetName() : std::string();
    if (!docType_.name.empty() && docType_.name != rootName)
        return false;
    std::string declaration = "xml version=\"" + docType_.version + "\"";
    if (!docType_.encoding.empty())
        declaration += " encoding=\"" + docType_.encoding + "\"";
    if (!docType_.standalone.empty())
        declaration += " standalone=\"" + docType_.standalone + "\"";
    bool ok = output.Put("<?") && output.Put(declaration) && output.Put("?>\n");
    for (const auto& comment : comments_)
        ok = ok && comment->WriteTo(output, 0);
    for (const auto& instruction : processingInstructions_)
        ok = ok && instruction->WriteTo(output, 0);
    if (!docType_.name.empty())
        ok = ok && docType_.WriteTo(output);
    if (!ok)
        return false;
    return root_ ? root_->WriteTo(output, 0) : true;
}

bool CKXMLCodexDocument::Write(CKSPBufferedFile& file) const {
    if (!file.IsOpenForWrite())
        return false;
    XmlFileOutput output(file);
    return WriteTo(output);
}

bool CKXMLCodexDocument::WriteToString(std::string& text) const {
    XmlStringOutput output(text);
    return WriteTo(output);
}

bool CKXMLCodexDocument::Save(const std::string& path) const {
    CKSPBufferedFile file(CKSPBufferedFile::kDefaultBufferSize);
    if (!file.OpenTextWrite(path, platform::kShareDenyNone, true))
        return false;
    bool written = Write(file);
    return file.CloseFile() && written;
}

std::unique_ptr<CKXMLCodexElement> CKXMLCodexDocument::CreateElement(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexElement>(this, parent);
}
std::unique_ptr<CKXMLCodexText> CKXMLCodexDocument::CreateText(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexText>(this, parent);
}
std::unique_ptr<CKXMLCodexComment> CKXMLCodexDocument::CreateComment(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexComment>(this, parent);
}
std::unique_ptr<CKXMLCodexProcessingInstruction>
CKXMLCodexDocument::CreateProcessingInstruction(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexProcessingInstruction>(this, parent);
}
std::unique_ptr<CKXMLCodexAttribute> CKXMLCodexDocument::CreateAttribute(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexAttribute>(this, parent);
}
std::unique_ptr<CKXMLCodexEntityReference>
CKXMLCodexDocument::CreateEntityReference(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexEntityReference>(this, parent);
}
std::unique_ptr<CKXMLCodexCDATASection>
CKXMLCodexDocument::CreateCDATASection(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexCDATASection>(this, parent);
}
std::unique_ptr<CKXMLCodexMixed> CKXMLCodexDocument::CreateMixed(CKXMLCodexNode* parent) {
    return std::make_unique<CKXMLCodexMixed>(this, parent);
}
