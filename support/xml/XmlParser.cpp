#include "support/xml/XmlParser.h"

#include <cstring>

#include "support/LastError.h"
#include "support/TextFormat.h"
#include "support/xml/XmlNames.h"

namespace {

unsigned char Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool IsDecimalDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(unsigned char c) {
    return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string TrimmedSpace(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsXmlSpace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && IsXmlSpace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

// "\r\n", then "\n\r", then a lone "\r" become "\n".
std::string NormalizedLineEnds(std::string text) {
    text = ReplaceAll(std::move(text), "\r\n", "\n");
    text = ReplaceAll(std::move(text), "\n\r", "\n");
    return ReplaceAll(std::move(text), "\r", "\n");
}

} // namespace

bool CKXMLCodexParser::Parse(const char* text, CKXMLCodexDocument* document,
                             bool requireDeclaration) {
    if (text == nullptr)
        return false;
    CKSPMemoryFile source;
    source.Attach(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
    return ParseSource(&source, document, requireDeclaration);
}

bool CKXMLCodexParser::ParseSource(CKSPMemoryFile* source, CKXMLCodexDocument* document,
                                   bool requireDeclaration) {
    if (source == nullptr || !source->IsOpen() || document == nullptr) {
        Report("Invalid parameter specified");
        return false;
    }
    source_ = source;
    document_ = document;
    nesting_ = 0;
    abortMessage_.clear();
    bool parsed = Document(requireDeclaration);
    source_ = nullptr;
    document_ = nullptr;
    return parsed;
}

// Primitives

void CKXMLCodexParser::SkipSpace() {
    while (!AtEnd() && IsXmlSpace(Peek()))
        source_->Skip(1);
}

bool CKXMLCodexParser::LooksAt(const char* literal) const {
    for (std::ptrdiff_t i = 0; literal[i] != '\0'; ++i) {
        if (Lower(Peek(i)) != Lower(static_cast<unsigned char>(literal[i])) || Peek(i) == '\0')
            return false;
    }
    return true;
}

void CKXMLCodexParser::Report(const std::string& message) {
    SetLastErrorText(message);
    if (failureObserver_)
        failureObserver_(message);
}

bool CKXMLCodexParser::Fail(std::size_t start, const std::string& message) {
    Report(message);
    return GiveUp(start);
}

// Fails keeping the message of the production that failed inside.
bool CKXMLCodexParser::GiveUp(std::size_t start) {
    failurePosition_ = Position();
    source_->SetPosition(static_cast<std::ptrdiff_t>(start));
    return false;
}

bool CKXMLCodexParser::Abort(std::size_t start, const std::string& message) {
    abortMessage_ = message;
    return Fail(start, message);
}

bool CKXMLCodexParser::EndOfFile(const char* message) {
    failurePosition_ = Position();
    Report(message);
    return false;
}

// Tokens

bool CKXMLCodexParser::Literal(const char* literal) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse string. End-of-file encountered.");
        return GiveUp(start);
    }
    std::size_t length = std::strlen(literal);
    if (source_->GetLength() - Position() < length)
        return Fail(start, "Unable to parse string");
    if (!LooksAt(literal))
        return Fail(start, "Expected string did not match.");
    source_->Skip(static_cast<std::ptrdiff_t>(length));
    return true;
}

bool CKXMLCodexParser::Space() {
    if (AtEnd())
        return EndOfFile("Unable to parse space. End-of-file encountered.");
    if (!IsXmlSpace(Peek()))
        return false;
    SkipSpace();
    return true;
}

bool CKXMLCodexParser::Name(std::string& name) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse name tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!IsXmlNameStart(Peek()))
        return Fail(start, "Invalid name defined.");
    std::size_t first = Position();
    while (IsXmlNameCharacter(Peek()) && !AtEnd())
        source_->Skip(1);
    name.assign(reinterpret_cast<const char*>(source_->GetData()) + first, Position() - first);
    return true;
}

bool CKXMLCodexParser::Nmtoken(std::string& token) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse NM token tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::size_t first = Position();
    while (IsXmlNameCharacter(Peek()) && !AtEnd())
        source_->Skip(1);
    if (Position() == first)
        return Fail(start, "Unable to parse NData string");
    token.assign(reinterpret_cast<const char*>(source_->GetData()) + first, Position() - first);
    return true;
}

bool CKXMLCodexParser::QuotedString(std::string& text) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse quoted string. End-of-file encountered.");
        return GiveUp(start);
    }
    unsigned char quote = Peek();
    if (quote != '"' && quote != '\'')
        return Fail(start, "Unable to parse quoted string");
    source_->Skip(1);
    std::size_t first = Position();
    while (!AtEnd() && Peek() != quote)
        source_->Skip(1);
    if (AtEnd())
        return Fail(start, "Unable to parse quoted string");
    text.assign(reinterpret_cast<const char*>(source_->GetData()) + first, Position() - first);
    source_->Skip(1);
    return true;
}

bool CKXMLCodexParser::TextUpTo(const char* terminator, std::string& text) {
    std::size_t start = Position();
    while (!AtEnd() && !LooksAt(terminator))
        source_->Skip(1);
    if (AtEnd()) {
        EndOfFile("Unable to parse string. End-of-file encountered.");
        return GiveUp(start);
    }
    text = NormalizedLineEnds(
        std::string(reinterpret_cast<const char*>(source_->GetData()) + start, Position() - start));
    return true;
}

bool CKXMLCodexParser::Eq() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse equal to sign. End-of-file encountered.");
        return GiveUp(start);
    }
    if (Peek() != '=')
        return GiveUp(start);
    source_->Skip(1);
    SkipSpace();
    return true;
}

bool CKXMLCodexParser::Number(bool hexadecimal, std::string& digits) {
    std::size_t start = Position();
    if (AtEnd())
        return EndOfFile("Unable to parse number. End-of-file encountered.");
    while (!AtEnd() && (hexadecimal ? IsHexDigit(Peek()) : IsDecimalDigit(Peek())))
        source_->Skip(1);
    if (Position() == start)
        return Fail(start, "Unable to parse number");
    digits.assign(reinterpret_cast<const char*>(source_->GetData()) + start, Position() - start);
    return true;
}

// Document

bool CKXMLCodexParser::Document(bool requireDeclaration) {
    document_->Clear();
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse XML prolog. End-of-file encountered.");
        return GiveUp(start);
    }
    source_->SetPosition(static_cast<std::ptrdiff_t>(start));
    if (!Prolog() && requireDeclaration)
        return false;
    std::unique_ptr<CKXMLCodexElement> root;
    std::size_t rootStart = Position();
    if (!Element(nullptr, root))
        return Fail(rootStart, "Unable to parse the root element: " +
                                   (Aborted() ? abortMessage_ : LastErrorText()));
    document_->SetRootElement(std::move(root));
    return MiscList();
}

bool CKXMLCodexParser::Prolog() {
    std::size_t start = Position();
    if (!XMLDecl())
        return GiveUp(start);
    MiscList();
    if (Doctypedecl())
        MiscList();
    return true;
}

bool CKXMLCodexParser::XMLDecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse XML declaration. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!Literal("<?xml") || !VersionInfo())
        return Fail(start, "Missing '<?xml' XML declaration tag header");
    EncodingDecl();
    SDDecl();
    if (!Literal("?>"))
        return Fail(start, "Missing '?>' XML declaration tag closer");
    return true;
}

bool CKXMLCodexParser::DeclarationValue(const char* keyword, const char* eofMessage,
                                        const char* missingKeyword, const char* missingEq,
                                        const char* missingValue, std::string& value) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile(eofMessage);
        return GiveUp(start);
    }
    if (!Keyword(keyword))
        return Fail(start, missingKeyword);
    if (!Eq())
        return Fail(start, missingEq);
    std::string quoted;
    if (!QuotedString(quoted))
        return Fail(start, missingValue);
    value = quoted;
    return true;
}

bool CKXMLCodexParser::VersionInfo() {
    return DeclarationValue("version", "Unable to parse version tag. End-of-file encountered.",
                            "Missing 'version' declaration in version information element.",
                            "Missing '=' in version information element.",
                            "Missing quoted string in version information element.",
                            document_->DocumentType().version);
}

bool CKXMLCodexParser::EncodingDecl() {
    return DeclarationValue(
        "encoding", "Unable to parse encoding declaration tag. End-of-file encountered.",
        "Missing 'encoding' declaration in encoding element.", "Missing '=' in encoding element.",
        "Missing quoted string in encoding element.", document_->DocumentType().encoding);
}

bool CKXMLCodexParser::SDDecl() {
    return DeclarationValue(
        "standalone",
        "Unable to parse standalone document declaration tag. End-of-file encountered.",
        "Missing 'standalone' declaration in standalone document element.",
        "Missing '=' in standalone document element.",
        "Missing quoted string in standalone document element.",
        document_->DocumentType().standalone);
}

// Comments and processing instructions here belong to the document itself.
bool CKXMLCodexParser::Misc() {
    std::size_t start = Position();
    if (AtEnd())
        return EndOfFile("Unable to parse XML misc element. End-of-file encountered.");
    if (Space())
        return true;
    std::unique_ptr<CKXMLCodexComment> comment;
    if (Comment(nullptr, comment)) {
        document_->AddComment(comment->GetValue());
        return true;
    }
    std::unique_ptr<CKXMLCodexProcessingInstruction> instruction;
    if (PI(nullptr, instruction)) {
        document_->AddProcessingInstruction(instruction->GetName(), instruction->GetValue());
        return true;
    }
    return Fail(start, "Unable to parse XML misc element. Missing comment, processing "
                       "instruction or space.");
}

// Elements and content

bool CKXMLCodexParser::Element(CKXMLCodexNode* parent,
                               std::unique_ptr<CKXMLCodexElement>& element) {
    std::size_t start = Position();
    if (Aborted())
        return false;
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse XML element. End-of-file encountered.");
        return GiveUp(start);
    }
    source_->SetPosition(static_cast<std::ptrdiff_t>(start));
    if (EmptyElemTag(parent, element))
        return true;
    if (!STag(parent, element))
        return GiveUp(start);
    NestingGuard guard(nesting_); // only content recurses
    if (guard.TooDeep()) {
        element.reset();
        return Abort(start, FormatText("Unable to parse XML element. Elements are nested more "
                                       "than %d levels deep.",
                                       kMaxNesting));
    }
    if (Content(*element) && ETag(element->GetName()))
        return true;
    element.reset();
    return GiveUp(start);
}

bool CKXMLCodexParser::StartTag(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexElement>& element,
                                bool empty) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile(empty ? "Unable to parse empty element tag. End-of-file encountered."
                        : "Unable to parse element start tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!Literal("<"))
        return Fail(start, "Missing '<' element tag header.");
    std::string name;
    if (!Name(name))
        return GiveUp(start);
    auto built = document_->CreateElement(parent);
    built->SetRawName(name);
    while (Attribute(*built)) {
    }
    if (!Literal(empty ? "/>" : ">"))
        return Fail(start, empty ? "Missing '/>' empty element tag closer."
                                 : "Missing '>' element start tag closer");
    element = std::move(built);
    return true;
}

bool CKXMLCodexParser::Attribute(CKXMLCodexElement& element) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse attribute tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Name(name))
        return Fail(start, "Missing name declaration in attribute element.");
    if (!Eq())
        return Fail(start, "Missing '=' in attribute element.");
    std::string value;
    if (!AttValue(value))
        return Fail(start, "Missing attribute value in attribute element.");
    auto attribute = document_->CreateAttribute(&element);
    attribute->SetRawName(name);
    attribute->SetValue(value);
    element.AppendAttribute(std::move(attribute));
    return true;
}

bool CKXMLCodexParser::AttValue(std::string& value) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse attribute value tag. End-of-file encountered.");
        return GiveUp(start);
    }
    return QuotedString(value) || GiveUp(start);
}

bool CKXMLCodexParser::ETag(const std::string& startName) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse element end tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (Aborted())
        return GiveUp(start);
    if (!Literal("</"))
        return Fail(start, FormatText("Missing '</' element tag header for element '%s'.",
                                      startName.c_str()));
    std::string name;
    if (!Name(name))
        return GiveUp(start);
    if (!XmlNamesEqual(name, startName))
        return Fail(start, FormatText("Miss matched element tag names detected: start tag = "
                                      "'%s'; end tag = '%s'",
                                      startName.c_str(), name.c_str()));
    if (!Literal(">"))
        return Fail(start, FormatText("Missing '>' element end tag closer for element '%s'",
                                      startName.c_str()));
    return true;
}

// Ends where no item matches, normally at "</"; the end tag reports what is missing.
bool CKXMLCodexParser::Content(CKXMLCodexElement& element) {
    if (AtEnd()) {
        EndOfFile("Unable to parse content tag. End-of-file encountered.");
        return true;
    }
    CharData(element);
    while (!Aborted() && ContentItem(element))
        CharData(element);
    return true;
}

bool CKXMLCodexParser::ContentItem(CKXMLCodexElement& element) {
    std::unique_ptr<CKXMLCodexElement> child;
    if (Element(&element, child)) {
        element.AppendChild(std::move(child));
        return true;
    }
    if (Aborted())
        return false;
    std::unique_ptr<CKXMLCodexNode> node;
    if (Reference(&element, node) || CDSect(&element, node)) {
        element.AppendChild(std::move(node));
        return true;
    }
    std::unique_ptr<CKXMLCodexProcessingInstruction> instruction;
    if (PI(&element, instruction)) {
        element.AppendChild(std::move(instruction));
        return true;
    }
    std::unique_ptr<CKXMLCodexComment> comment;
    if (Comment(&element, comment)) {
        element.AppendChild(std::move(comment));
        return true;
    }
    return false;
}

bool CKXMLCodexParser::CharData(CKXMLCodexElement& element) {
    SkipSpace();
    if (AtEnd())
        return EndOfFile("Unable to parse character data tag. End-of-file encountered.");
    std::size_t first = Position();
    while (!AtEnd() && Peek() != '<' && Peek() != '&')
        source_->Skip(1);
    std::string text = TrimmedSpace(
        std::string(reinterpret_cast<const char*>(source_->GetData()) + first, Position() - first));
    if (text.empty())
        return false;
    auto node = document_->CreateText(&element);
    node->SetValue(text);
    element.AppendChild(std::move(node));
    return true;
}

bool CKXMLCodexParser::Reference(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexNode>& node) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse reference tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string value;
    if (!EntityRef(value) && !CharRef(value))
        return Fail(start, "Unable to parse reference tag.");
    auto reference = document_->CreateEntityReference(parent);
    reference->SetValue(value);
    node = std::move(reference);
    return true;
}

bool CKXMLCodexParser::EntityRef(std::string& value) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse entity reference tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Literal("&") || !Name(name) || !Literal(";"))
        return Fail(start, "Unable to parse entity reference tag");
    value = name;
    return true;
}

bool CKXMLCodexParser::CharRef(std::string& value) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse character reference tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string digits;
    std::size_t afterSpace = Position();
    if (Literal("&#x") && Number(true, digits) && Literal(";")) {
        value = "&#x" + digits;
        return true;
    }
    source_->SetPosition(static_cast<std::ptrdiff_t>(afterSpace));
    if (Literal("&#") && Number(false, digits) && Literal(";")) {
        value = "&#" + digits;
        return true;
    }
    return Fail(start, "Unable to parse character reference tag");
}

bool CKXMLCodexParser::CDSect(CKXMLCodexNode* parent, std::unique_ptr<CKXMLCodexNode>& node) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse CD section tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!Literal("<![CDATA["))
        return Fail(start, "Unable to parse CD start tag");
    std::string text;
    if (AtEnd()) {
        EndOfFile("Unable to parse CDATA tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!TextUpTo("]]>", text))
        return Fail(start, "Unable to parse CDATA tag");
    if (!Literal("]]>"))
        return Fail(start, "Unable to parse CD end tag");
    auto section = document_->CreateCDATASection(parent);
    section->SetValue(text);
    node = std::move(section);
    return true;
}

bool CKXMLCodexParser::Comment(CKXMLCodexNode* parent,
                               std::unique_ptr<CKXMLCodexComment>& comment) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse comment tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!Literal("<!--"))
        return Fail(start, "Missing '<!--' comment element tag header.");
    std::string text;
    if (!TextUpTo("--", text))
        return GiveUp(start);
    if (!LooksAt("-->")) // "--" inside a comment
        return Fail(start, "Missing '-->' comment element tag closer");
    source_->Skip(3);
    comment = document_->CreateComment(parent);
    comment->SetValue(text);
    return true;
}

bool CKXMLCodexParser::PI(CKXMLCodexNode* parent,
                          std::unique_ptr<CKXMLCodexProcessingInstruction>& instruction) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse processing instruction tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!Literal("<?"))
        return Fail(start, "Missing '<?' processing instruction element tag header.");
    if (AtEnd()) {
        EndOfFile("Unable to parse PI target tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string target;
    if (!Name(target))
        return GiveUp(start);
    SkipSpace();
    std::string data;
    if (!TextUpTo("?>", data) || !Literal("?>"))
        return Fail(start, "Missing '?>' processing instruction element tag closer");
    instruction = document_->CreateProcessingInstruction(parent);
    instruction->SetRawName(target);
    instruction->SetValue(data);
    return true;
}
