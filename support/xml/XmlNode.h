#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "support/BufferedFile.h"

class CKXMLCodexDocument;
class CKXMLCodexNode;
class CKXMLCodexAttribute;
class CKXMLCodexElement;
class XmlOutput;

enum XmlNodeKind : std::int32_t {
    kXmlNull = 0,
    kXmlElement = 1,
    kXmlAttribute = 2,
    kXmlText = 3,
    kXmlCDATASection = 4,
    kXmlEntityReference = 5,
    kXmlEntity = 6,
    kXmlProcessingInstruction = 7,
    kXmlComment = 8,
    kXmlDocument = 9,
    kXmlDocumentType = 10,
    kXmlNotation = 11,
    kXmlMixed = 12,
};

// "Element", "Attribute" ... or "Unknown Node Type %lu".
std::string XmlKindName(std::int32_t kind);

// Child nodes examined by the walks over element children since the process
// started: one walk over a node with n children adds n.
std::uint64_t XmlChildVisits();

// The element children of a node in document order, found in one pass over
// the child list.
class XmlChildElements {
public:
    using Position = std::vector<std::unique_ptr<CKXMLCodexNode>>::const_iterator;

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CKXMLCodexElement;
        using difference_type = std::ptrdiff_t;
        using pointer = CKXMLCodexElement*;
        using reference = CKXMLCodexElement&;

        Iterator() = default;
        Iterator(Position at, Position end) : at_(at), end_(end) { SkipOtherKinds(); }
        CKXMLCodexElement& operator*() const;
        CKXMLCodexElement* operator->() const { return &**this; }
        Iterator& operator++();
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return at_ == other.at_; }

    private:
        void SkipOtherKinds();

        Position at_{};
        Position end_{};
    };

    XmlChildElements(Position begin, Position end) : begin_(begin), end_(end) {}
    Iterator begin() const { return {begin_, end_}; }
    Iterator end() const { return {end_, end_}; }

private:
    Position begin_;
    Position end_;
};

// A node of the tree. It owns its attributes and children; the owner document
// and the parent are only referred to.
class CKXMLCodexNode {
public:
    CKXMLCodexNode(std::int32_t kind, CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : kind_(kind), owner_(owner), parent_(parent) {}
    virtual ~CKXMLCodexNode() = default;
    CKXMLCodexNode(const CKXMLCodexNode&) = delete;
    CKXMLCodexNode& operator=(const CKXMLCodexNode&) = delete;

    virtual void Clear();
    bool IsType(std::int32_t kind) const { return kind_ == kind; }
    bool IsElement() const { return IsType(kXmlElement); }
    bool IsAttribute() const { return IsType(kXmlAttribute); }
    bool IsText() const { return IsType(kXmlText); }
    bool IsCDATASection() const { return IsType(kXmlCDATASection); }
    bool IsEntityReference() const { return IsType(kXmlEntityReference); }
    bool IsEntity() const { return IsType(kXmlEntity); }
    bool IsProcessingInstruction() const { return IsType(kXmlProcessingInstruction); }
    bool IsComment() const { return IsType(kXmlComment); }
    bool IsDocument() const { return IsType(kXmlDocument); }
    bool IsDocumentType() const { return IsType(kXmlDocumentType); }
    bool IsNotation() const { return IsType(kXmlNotation); }
    bool IsMixed() const { return IsType(kXmlMixed); }

    // Null without an owner document or with an empty name.
    CKXMLCodexAttribute* AddAttribute(const std::string& name, const std::string& value);
    CKXMLCodexElement* AppendChildElement(const std::string& name, const std::string& value);
    CKXMLCodexElement* InsertChildElement(int index, const std::string& name,
                                          const std::string& value);
    // Links a node made by the owner's factory.
    void AppendChild(std::unique_ptr<CKXMLCodexNode> child);
    void AppendAttribute(std::unique_ptr<CKXMLCodexAttribute> attribute);

    // Look-ups compare names without regard to letter case.
    CKXMLCodexAttribute* FindAttribute(const std::string& name) const;
    std::string GetAttributeValue(const std::string& name) const;
    bool HasOnlyTextChildren() const;
    CKXMLCodexNode* GetChild(std::size_t index) const;
    CKXMLCodexNode* FindChild(const std::string& name) const;
    std::size_t GetChildCount() const { return children_.size(); }
    // For walks over all element children; GetChildElement(i) starts from the
    // first child every time.
    XmlChildElements ChildElements() const { return {children_.begin(), children_.end()}; }
    // The value, then every text child's value, joined by single spaces.
    std::string GetText() const;
    // Stores the name made into a valid XML name.
    void SetName(const std::string& name);

    bool Write(CKSPBufferedFile& file, int indent) const;
    bool WriteToString(std::string& text, int indent) const;
    virtual bool WriteTo(XmlOutput& output, int indent) const = 0;
    void Dump(CKSPBufferedFile& file, int indent) const;
    void DumpTo(XmlOutput& output, int indent) const;

    std::int32_t GetKind() const { return kind_; }
    const std::string& GetName() const { return name_; }
    const std::string& GetValue() const { return value_; }
    void SetValue(const std::string& value) { value_ = value; }
    // Stores the name as given (the parser's names are already valid).
    void SetRawName(const std::string& name) { name_ = name; }
    std::size_t GetAttributeCount() const { return attributes_.size(); }
    CKXMLCodexAttribute* GetAttribute(std::size_t index) const;
    CKXMLCodexNode* GetParent() const { return parent_; }
    CKXMLCodexDocument* GetOwner() const { return owner_; }

protected:
    const std::vector<std::unique_ptr<CKXMLCodexNode>>& Children() const { return children_; }
    const std::vector<std::unique_ptr<CKXMLCodexAttribute>>& Attributes() const {
        return attributes_;
    }

private:
    std::unique_ptr<CKXMLCodexElement> MakeChildElement(const std::string& name,
                                                        const std::string& value);

    std::int32_t kind_;
    std::string name_;
    std::string value_;
    CKXMLCodexDocument* owner_;
    CKXMLCodexNode* parent_;
    std::vector<std::unique_ptr<CKXMLCodexAttribute>> attributes_;
    std::vector<std::unique_ptr<CKXMLCodexNode>> children_;
};

class CKXMLCodexElement : public CKXMLCodexNode {
public:
    CKXMLCodexElement(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlElement, owner, parent) {}
    bool WriteTo(XmlOutput& output, int indent) const override;
    // The index-th child that is an element, counting from 0.
    CKXMLCodexElement* GetChildElement(std::size_t index) const;
    std::size_t GetChildElementCount() const;
};

// Attributes are written by their element as name="value".
class CKXMLCodexAttribute : public CKXMLCodexNode {
public:
    CKXMLCodexAttribute(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlAttribute, owner, parent) {}
    bool WriteTo(XmlOutput& output, int indent) const override;
};

class CKXMLCodexText : public CKXMLCodexNode {
public:
    CKXMLCodexText(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlText, owner, parent) {}
    bool WriteTo(XmlOutput& output, int indent) const override;
};

class CKXMLCodexCDATASection : public CKXMLCodexNode {
public:
    CKXMLCodexCDATASection(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlCDATASection, owner, parent) {}
    bool WriteTo(XmlOutput& output, int indent) const override;
};

class CKXMLCodexEntityReference : public CKXMLCodexNode {
public:
    CKXMLCodexEntityReference(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlEntityReference, owner, parent) {}
    bool WriteTo(XmlOutput&, int) const override { return true; }
};

class CKXMLCodexProcessingInstruction : public CKXMLCodexNode {
public:
    CKXMLCodexProcessingInstruction(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlProcessingInstruction, owner, parent) {}
    bool WriteTo(XmlOutput& output, int indent) const override;
};

class CKXMLCodexComment : public CKXMLCodexNode {
public:
    CKXMLCodexComment(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlComment, owner, parent) {}
    bool WriteTo(XmlOutput& output, int indent) const override;
};

// A mixed content model's names; written as nothing.
class CKXMLCodexMixed : public CKXMLCodexNode {
public:
    CKXMLCodexMixed(CKXMLCodexDocument* owner, CKXMLCodexNode* parent)
        : CKXMLCodexNode(kXmlMixed, owner, parent) {}
    bool WriteTo(XmlOutput&, int) const override { return true; }
    void SetNames(std::vector<std::string> names) { names_ = std::move(names); }
    const std::vector<std::string>& GetNames() const { return names_; }

private:
    std::vector<std::string> names_;
};
