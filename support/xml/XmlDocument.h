#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/xml/XmlNode.h"

// The XML declaration's and the DOCTYPE's values with the internal subset's
// comments and processing instructions.
class CKXMLCodexDocumentType {
public:
    CKXMLCodexDocumentType() = default;
    virtual ~CKXMLCodexDocumentType() = default;
    CKXMLCodexDocumentType(const CKXMLCodexDocumentType&) = delete;
    CKXMLCodexDocumentType& operator=(const CKXMLCodexDocumentType&) = delete;

    bool Write(CKSPBufferedFile& file) const;
    bool WriteToString(std::string& text) const;
    bool WriteTo(XmlOutput& output) const;
    // Version, encoding and standalone keep their values.
    void Clear();
    void Dump(CKSPBufferedFile& file, int indent) const;
    void DumpTo(XmlOutput& output, int indent) const;

    std::string name;
    std::string publicId;
    std::string systemId;
    std::string version = "1.0";
    std::string encoding;
    std::string standalone;
    std::vector<std::unique_ptr<CKXMLCodexComment>> comments;
    std::vector<std::unique_ptr<CKXMLCodexProcessingInstruction>> processingInstructions;
    std::vector<std::unique_ptr<CKXMLCodexNode>> entities;
    std::vector<std::unique_ptr<CKXMLCodexNode>> notations;
};

// A document: declaration and document type, top-level comments and
// processing instructions, and one root element. It is also the node factory.
class CKXMLCodexDocument {
public:
    CKXMLCodexDocument() = default;
    virtual ~CKXMLCodexDocument() = default;
    CKXMLCodexDocument(const CKXMLCodexDocument&) = delete;
    CKXMLCodexDocument& operator=(const CKXMLCodexDocument&) = delete;

    void Clear();
    void Initialize(const std::string& docTypeName, const std::string& version,
                    const std::string& encoding, const std::string& standalone);
    void SetDocTypeName(const std::string& name);
    void SetExternalID(const std::string& publicId, const std::string& systemId);
    CKXMLCodexComment* AddComment(const std::string& text);
    CKXMLCodexProcessingInstruction* AddProcessingInstruction(const std::string& target,
                                                              const std::string& data);
    CKXMLCodexComment* AddDocTypeComment(const std::string& text);
    CKXMLCodexProcessingInstruction* AddDocTypeProcessingInstruction(const std::string& target,
                                                                     const std::string& data);
    CKXMLCodexElement* CreateRootElement(const std::string& name, const std::string& value);
    void SetRootElement(std::unique_ptr<CKXMLCodexElement> root) { root_ = std::move(root); }
    CKXMLCodexElement* GetRootElement() const { return root_.get(); }
    // Depth-first, pre-order from the root, through element children only.
    CKXMLCodexElement* FindElement(const std::string& name) const;
    std::string GetElementValue(const std::string& name) const;

    // False, with nothing written, when the DOCTYPE name is not the root's name.
    bool Write(CKSPBufferedFile& file) const;
    bool WriteToString(std::string& text) const;
    bool Save(const std::string& path) const;
    void DumpToFile(const std::string& path, int indent) const;
    void DumpToString(std::string& text, int indent) const;

    std::unique_ptr<CKXMLCodexElement> CreateElement(CKXMLCodexNode* parent);
    std::unique_ptr<CKXMLCodexText> CreateText(CKXMLCodexNode* parent);
    std::unique_ptr<CKXMLCodexComment> CreateComment(CKXMLCodexNode* parent);
    std::unique_ptr<CKXMLCodexProcessingInstruction>
    CreateProcessingInstruction(CKXMLCodexNode* parent);
    std::unique_ptr<CKXMLCodexAttribute> CreateAttribute(CKXMLCodexNode* parent);
    std::unique_ptr<CKXMLCodexEntityReference> CreateEntityReference(CKXMLCodexNode* parent);
    std::unique_ptr<CKXMLCodexCDATASection> CreateCDATASection(CKXMLCodexNode* parent);
    std::unique_ptr<CKXMLCodexMixed> CreateMixed(CKXMLCodexNode* parent);

    CKXMLCodexDocumentType& DocumentType() { return docType_; }
    const CKXMLCodexDocumentType& DocumentType() const { return docType_; }
    const std::vector<std::unique_ptr<CKXMLCodexComment>>& Comments() const { return comments_; }
    const std::vector<std::unique_ptr<CKXMLCodexProcessingInstruction>>&
    ProcessingInstructions() const {
        return processingInstructions_;
    }

private:
    bool WriteTo(XmlOutput& output) const;
    void DumpTo(XmlOutput& output, int indent) const;

    CKXMLCodexDocumentType docType_;
    std::unique_ptr<CKXMLCodexElement> root_;
    std::vector<std::unique_ptr<CKXMLCodexComment>> comments_;
    std::vector<std::unique_ptr<CKXMLCodexProcessingInstruction>> processingInstructions_;
};
