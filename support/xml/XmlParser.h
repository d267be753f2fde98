#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "support/MemoryFile.h"
#include "support/xml/XmlDocument.h"

// A backtracking recursive-descent parser with one function per production of
// the XML 1.0 grammar. A production that fails puts the position back where it
// started and leaves its message in lastErrorText; the caller may then try
// another alternative. References become nodes, the encoding is only stored,
// and the document type is parsed for syntax only.
class CKXMLCodexParser {
public:
    // Elements and content particles nested deeper than this fail the parse
    // before recursion could exhaust the stack of the host's UI thread.
    static constexpr int kMaxNesting = 256;

    CKXMLCodexParser() = default;
    virtual ~CKXMLCodexParser() = default;
    CKXMLCodexParser(const CKXMLCodexParser&) = delete;
    CKXMLCodexParser& operator=(const CKXMLCodexParser&) = delete;

    // text is zero-terminated and parsed in place.
    bool Parse(const char* text, CKXMLCodexDocument* document, bool requireDeclaration);
    bool ParseSource(CKSPMemoryFile* source, CKXMLCodexDocument* document, bool requireDeclaration);
    std::size_t FailurePosition() const { return failurePosition_; }
    // Receives every message a production leaves in lastErrorText, in order,
    // also those a later alternative or an enclosing production overwrites.
    void SetFailureObserver(std::function<void(const std::string&)> observer) {
        failureObserver_ = std::move(observer);
    }

private:
    // Counts nested elements and content particles for the life of one production.
    class NestingGuard {
    public:
        explicit NestingGuard(int& nesting) : nesting_(nesting) { ++nesting_; }
        ~NestingGuard() { --nesting_; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;
        bool TooDeep() const { return nesting_ > kMaxNesting; }

    private:
        int& nesting_;
    };

    // Input primitives.
    std::size_t Position() const { return source_->GetPosition(); }
    bool AtEnd() const { return source_->IsAtEnd(); }
    unsigned char Peek(std::ptrdiff_t offset = 0) const { return source_->PeekByte(offset); }
    void SkipSpace();
    bool LooksAt(const char* literal) const;
    void Report(const std::string& message);
    bool Fail(std::size_t start, const std::string& message);
    bool GiveUp(std::size_t start);
    bool EndOfFile(const char* message);
    // Nesting beyond kMaxNesting stops the whole parse with this message.
    bool Abort(std::size_t start, const std::string& message);
    bool Aborted() const { return !abortMessage_.empty(); }

    // Tokens.
    bool Literal(const char* literal);
    bool Keyword(const char* keyword) { return Literal(keyword); }
    bool Space();
    bool Name(std::string& name);
    bool Nmtoken(std::string& token);
    bool QuotedString(std::string& text);
    bool TextUpTo(const char* terminator, std::string& text);
    bool Eq();
    bool Number(bool hexadecimal, std::string& digits);

    // Document.
    bool Document(bool requireDeclaration);
    bool Prolog();
    bool XMLDecl();
    bool DeclarationValue(const char* keyword, const char* eofMessage, const char* missingKeyword,
                          const char* missingEq, const char* missingValue, std::string& value);
    bool VersionInfo();
    bool EncodingDecl();
    bool SDDecl();
    bool Misc();
    bool MiscList() {
        while (Misc()) {
        }
        return true;
    }

    // Elements and content.
    bool Element(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexElement>& element);
    bool StartTag(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexElement>& element, bool empty);
    bool EmptyElemTag(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexElement>& element) {
        return StartTag(parent, element, true);
    }
    bool STag(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexElement>& element) {
        return StartTag(parent, element, false);
    }
    bool Attribute(CKXMLCodexElement& element);
    bool AttValue(std::string& value);
    bool ETag(const std::string& startName);
    bool Content(CKXMLCodexElement& element);
    bool ContentItem(CKXMLCodexElement& element);
    bool CharData(CKXMLCodexElement& element);
    bool Reference(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexNode>& node);
    bool EntityRef(std::string& value);
    bool CharRef(std::string& value);
    bool CDSect(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexNode>& node);
    bool Comment(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexComment>& comment);
    bool PI(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexProcessingInstruction>& instruction);

    // Document type, syntax only.
    bool Doctypedecl();
    bool ExternalID(std::string& publicId, std::string& systemId);
    bool SystemLiteral(std::string& literal);
    bool PubidLiteral(const char* eofMessage, std::string& literal);
    bool IntSubset();
    bool DeclSep();
    bool PEReference();
    bool Markupdecl();
    bool Elementdecl();
    bool Contentspec();
    bool Mixed();
    bool Children();
    bool Cp();
    // choice and seq share "(" cp; the first separator tells which one it is.
    bool ChoiceOrSeq();
    void Suffixes();
    bool AttlistDecl();
    bool AttDef();
    bool AttType();
    bool StringType();
    bool TokenizedType();
    bool EnumeratedType();
    bool NotationType();
    bool Enumeration();
    bool DefaultDecl();
    bool EntityDecl();
    bool GEDecl();
    bool PEDecl();
    bool EntityDef();
    bool PEDef();
    bool EntityValue();
    bool NDataDecl();
    bool NotationDecl();
    bool PublicID();

    std::size_t failurePosition_ = 0;
    CKSPMemoryFile* source_ = nullptr;
    CKXMLCodexDocument* document_ = nullptr;
    int nesting_ = 0;
    std::string abortMessage_;
    std::function<void(const std::string&)> failureObserver_;
};
