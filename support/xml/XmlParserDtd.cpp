// Document type productions: parsed for syntax, only the DOCTYPE's name and
// external ID and the internal subset's comments and processing instructions
// reach the document.

#include "support/LastError.h"
#include "support/TextFormat.h"
#include "support/xml/XmlParser.h"

bool CKXMLCodexParser::Doctypedecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse XML document type declaration. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!Keyword("<!DOCTYPE"))
        return Fail(start, "Missing '<!DOCTYPE' document type declaration tag header");
    std::string name;
    if (!Name(name))
        return Fail(start, "Unable to parse document type name.");
    std::string publicId;
    std::string systemId;
    ExternalID(publicId, systemId);
    if (Literal("[") && !(IntSubset() && Literal("]")))
        return Fail(start, "Unable to parse int sub-set in document type declaration.");
    if (!Literal(">"))
        return Fail(start, "Missing '>' document type declaration tag closer");
    CKXMLCodexDocumentType& type = document_->DocumentType();
    type.name = name;
    type.publicId = publicId;
    type.systemId = systemId;
    return true;
}

bool CKXMLCodexParser::ExternalID(std::string& publicId, std::string& systemId) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse external ID tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (Keyword("SYSTEM")) {
        if (!SystemLiteral(systemId))
            return Fail(start, "Unable to parse external ID tag. Invalid syntax detected.");
        return true;
    }
    if (Keyword("PUBLIC")) {
        if (!PubidLiteral("Unable to parse pubID literal tag. End-of-file encountered.",
                          publicId) ||
            !SystemLiteral(systemId))
            return Fail(start, "Unable to parse external ID tag. Invalid syntax detected.");
        return true;
    }
    return Fail(start, "Unable to parse external ID tag. Missing 'system' or 'public' "
                       "declaration.");
}

bool CKXMLCodexParser::SystemLiteral(std::string& literal) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse system literal tag. End-of-file encountered.");
        return GiveUp(start);
    }
    return QuotedString(literal) || GiveUp(start);
}

bool CKXMLCodexParser::PubidLiteral(const char* eofMessage, std::string& literal) {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile(eofMessage);
        return GiveUp(start);
    }
    return QuotedString(literal) || GiveUp(start);
}

bool CKXMLCodexParser::IntSubset() {
    if (AtEnd())
        return EndOfFile("Unable to parse int sub-set tag. End-of-file encountered.");
    while (Markupdecl() || DeclSep()) {
    }
    return true;
}

bool CKXMLCodexParser::DeclSep() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse declaration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!PEReference())
        return Fail(start, "Unable to parse declaration tag");
    SkipSpace();
    return true;
}

bool CKXMLCodexParser::PEReference() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse PEReference tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Literal("%") || !Name(name) || !Literal(";"))
        return Fail(start, "Unable to parse PEReference tag.");
    return true;
}

bool CKXMLCodexParser::Markupdecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse markup declaration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::unique_ptr<CKXMLCodexComment> comment;
    if (Comment(nullptr, comment)) {
        document_->AddDocTypeComment(comment->GetValue());
        return true;
    }
    std::unique_ptr<CKXMLCodexProcessingInstruction> instruction;
    if (PI(nullptr, instruction)) {
        document_->AddDocTypeProcessingInstruction(instruction->GetName(), instruction->GetValue());
        return true;
    }
    if (Elementdecl() || AttlistDecl() || EntityDecl() || NotationDecl())
        return true;
    return Fail(start, "Unable to parse markup declaration tag.  Missing valid element, "
                       "attribute list, entity declaration, notation declaration, processing "
                       "instruction or comment.");
}

bool CKXMLCodexParser::Elementdecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse element opening tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Keyword("<!ELEMENT"))
        return Fail(start, "Unable to parse element opening tag");
    if (!Name(name))
        return Fail(start, "Unable to parse element name");
    if (!Contentspec())
        return Fail(start, "Unable to parse element content specification");
    if (!Literal(">"))
        return Fail(start, "Unable to parse element closing tag");
    return true;
}

bool CKXMLCodexParser::Contentspec() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse content specification tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (Keyword("EMPTY") || Keyword("ANY") || Mixed() || Children())
        return true;
    return Fail(start, "Unable to parse content specification tag");
}

bool CKXMLCodexParser::Mixed() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse mixed content tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!Literal("("))
        return Fail(start, "Unable to parse mixed content tag");
    if (!Keyword("#PCDATA"))
        return Fail(start, "Unable to parse mixed content PCDATA tag");
    std::string name;
    while (Literal("|")) {
        if (!Name(name))
            return Fail(start, "Unable to parse mixed content name");
    }
    if (!Literal(")*") && !Literal(")"))
        return Fail(start, "Unable to parse mixed content closing tag");
    return true;
}

bool CKXMLCodexParser::Children() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse child tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!ChoiceOrSeq())
        return Fail(start, "Unable to parse child tag");
    Suffixes();
    return true;
}

void CKXMLCodexParser::Suffixes() {
    for (const char* suffix : {"?", "*", "+"}) {
        if (!AtEnd())
            Literal(suffix);
    }
}

bool CKXMLCodexParser::Cp() {
    std::size_t start = Position();
    if (Aborted())
        return false;
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse cp tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Name(name) && !ChoiceOrSeq())
        return Fail(start, "Unable to parse cp tag value");
    Suffixes();
    return true;
}

// choice := "(" cp ("|" cp)* ")", seq := "(" cp ("," cp)* ")".
bool CKXMLCodexParser::ChoiceOrSeq() {
    std::size_t start = Position();
    if (Aborted())
        return false;
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse choice tag. End-of-file encountered.");
        return GiveUp(start);
    }
    NestingGuard guard(nesting_);
    if (guard.TooDeep())
        return Abort(start, FormatText("Unable to parse choice tag. Content particles are nested "
                                       "more than %d levels deep.",
                                       kMaxNesting));
    if (!Literal("("))
        return Fail(start, "Unable to parse choice tag");
    if (!Cp())
        return Fail(start, "Unable to parse choice CP tag");
    SkipSpace();
    bool sequence = Peek() == ',';
    const char* kind = sequence ? "sequence" : "choice";
    while (Literal(sequence ? "," : "|")) {
        if (!Cp())
            return Fail(start, FormatText("Unable to parse %s CP tag", kind));
    }
    if (!Literal(")"))
        return Fail(start, FormatText("Unable to parse %s closing tag", kind));
    return true;
}

bool CKXMLCodexParser::AttlistDecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse attribute list declaration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Keyword("<!ATTLIST"))
        return Fail(start, "Unable to parse attribute list declaration tag");
    if (!Name(name))
        return Fail(start, "Unable to parse attribute list declaration name");
    while (AttDef()) {
    }
    if (!Literal(">"))
        return Fail(start, "Unable to parse attribute list declaration closing tag");
    return true;
}

// An attribute type, optionally after an attribute name and before a default.
bool CKXMLCodexParser::AttDef() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse att definition tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (!AttType()) {
        std::string name;
        if (!Name(name) || !AttType())
            return Fail(start, "Unable to parse att definition tag");
    }
    DefaultDecl();
    return true;
}

bool CKXMLCodexParser::AttType() {
    return StringType() || TokenizedType() || EnumeratedType();
}

bool CKXMLCodexParser::StringType() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse string type tag. End-of-file encountered.");
        return GiveUp(start);
    }
    return Keyword("CDATA") || GiveUp(start);
}

bool CKXMLCodexParser::TokenizedType() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse tokenized type tag. End-of-file encountered.");
        return GiveUp(start);
    }
    // Longer keywords first, so "ID" does not take the start of "IDREF".
    for (const char* keyword :
         {"IDREFS", "IDREF", "ID", "ENTITIES", "ENTITY", "NMTOKENS", "NMTOKEN"}) {
        if (Keyword(keyword))
            return true;
    }
    return Fail(start, "Unable to parse tokenized type tag");
}

bool CKXMLCodexParser::EnumeratedType() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse enumerated type tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (NotationType() || Enumeration())
        return true;
    return Fail(start, "Unable to parse enumerated type tag");
}

bool CKXMLCodexParser::NotationType() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse notation type tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Keyword("NOTATION"))
        return Fail(start, "Unable to parse notation type tag");
    if (!Literal("("))
        return Fail(start, "Unable to parse notation type name");
    if (!Name(name))
        return Fail(start, "Unable to parse notation name tag");
    while (Literal("|")) {
        if (!Name(name))
            return Fail(start, "Unable to parse notation name tag");
    }
    if (!Literal(")"))
        return Fail(start, "Unable to parse notation type closing tag");
    return true;
}

bool CKXMLCodexParser::Enumeration() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse enumeration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string token;
    if (!Literal("("))
        return Fail(start, "Unable to parse enumeration tag");
    if (!Nmtoken(token))
        return Fail(start, "Unable to parse enumeration token");
    while (Literal("|")) {
        if (!Nmtoken(token))
            return Fail(start, "Unable to parse enumeration token");
    }
    if (!Literal(")"))
        return Fail(start, "Unable to parse enumeration closing tag");
    return true;
}

bool CKXMLCodexParser::DefaultDecl() {
    std::size_t start = Position();
    if (Keyword("#REQUIRED") || Keyword("#IMPLIED"))
        return true;
    Keyword("#FIXED");
    std::string value;
    return AttValue(value) || GiveUp(start);
}

bool CKXMLCodexParser::EntityDecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse entity declaration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (GEDecl() || PEDecl())
        return true;
    return Fail(start, "Unable to parse entity declaration tag");
}

bool CKXMLCodexParser::GEDecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse general declaration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Keyword("<!ENTITY"))
        return Fail(start, "Unable to parse general declaration tag");
    if (!Name(name))
        return Fail(start, "Unable to parse general declaration name");
    if (!EntityDef())
        return Fail(start, "Unable to parse general declaration entity definition");
    if (!Literal(">"))
        return Fail(start, "Unable to parse general declaration closing tag");
    return true;
}

bool CKXMLCodexParser::PEDecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse PE declaration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Keyword("<!ENTITY"))
        return Fail(start, "Unable to parse PE declaration tag");
    if (!Literal("%"))
        return Fail(start, "Unable to parse PE declaration '%' marker");
    if (!Name(name))
        return Fail(start, "Unable to parse PE declaration name");
    if (!PEDef())
        return Fail(start, "Unable to parse PE declaration PE definition");
    if (!Literal(">"))
        return Fail(start, "Unable to parse PE declaration closing tag");
    return true;
}

bool CKXMLCodexParser::EntityDef() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse entity definition tag. End-of-file encountered.");
        return GiveUp(start);
    }
    if (EntityValue())
        return true;
    std::string publicId;
    std::string systemId;
    if (!ExternalID(publicId, systemId))
        return Fail(start, "Unable to parse entity definition external ID tag");
    NDataDecl();
    return true;
}

bool CKXMLCodexParser::PEDef() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse PE definition tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string publicId;
    std::string systemId;
    if (EntityValue() || ExternalID(publicId, systemId))
        return true;
    return Fail(start, "Unable to parse PE definition value tag");
}

bool CKXMLCodexParser::EntityValue() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse entity value tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string value;
    if (!QuotedString(value))
        return Fail(start, "Unable to parse entity value tag");
    return true;
}

bool CKXMLCodexParser::NDataDecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse NData tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Keyword("NDATA"))
        return Fail(start, "Unable to parse NData tag");
    if (!Name(name))
        return Fail(start, "Unable to parse NData name");
    return true;
}

bool CKXMLCodexParser::NotationDecl() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse notation declaration tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string name;
    if (!Keyword("<!NOTATION"))
        return Fail(start, "Unable to parse notation declaration tag");
    if (!Name(name))
        return Fail(start, "Unable to parse notation declaration name");
    std::string publicId;
    std::string systemId;
    if (!ExternalID(publicId, systemId))
        PublicID();
    if (!Literal(">"))
        return Fail(start, "Unable to parse notation declaration end tag");
    return true;
}

bool CKXMLCodexParser::PublicID() {
    std::size_t start = Position();
    SkipSpace();
    if (AtEnd()) {
        EndOfFile("Unable to parse public ID tag. End-of-file encountered.");
        return GiveUp(start);
    }
    std::string literal;
    if (!Keyword("PUBLIC"))
        return Fail(start, "Unable to parse public ID tag");
    if (!PubidLiteral("Unable to parse public ID literal tag. End-of-file encountered.", literal))
        return Fail(start, "Unable to parse public ID literal");
    return true;
}
