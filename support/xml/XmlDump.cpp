// The diagnostic dump of nodes, document types and documents.

#include <algorithm>

#include "support/TextFormat.h"
#include "support/xml/XmlDocument.h"
#include "support/xml/XmlOutput.h"

namespace {

const char* const kEquals36 = "====================================";
const char* const kDashes36 = "------------------------------------";
const char* const kEquals51 = "===================================================";

void Line(XmlOutput& out, const std::string& text) {
    out.Put(text);
}

std::string Indented(int indent, const std::string& text) {
    return std::string(static_cast<std::size_t>(std::max(indent, 0)), ' ') + text;
}

std::string Count(std::size_t count) {
    return FormatText("%lu", static_cast<unsigned long>(count));
}

std::string FlattenedValue(std::string value) {
    std::replace_if(
        value.begin(), value.end(),
        [](char c) { return c == '\t' || c == '\n' || c == '\r' || c == '\v'; }, ' ');
    return value;
}

void Frame(XmlOutput& out, int indent, const std::string& heading) {
    Line(out, "\n" + Indented(indent, kEquals36) + "\n");
    Line(out, Indented(indent, heading) + "\n");
    Line(out, Indented(indent, kEquals36) + "\n");
}

void None(XmlOutput& out, int indent) {
    Line(out, Indented(indent, "<None>\n"));
}

// A titled list of nodes, each dumped at indent + 3.
template <typename List>
void DumpList(XmlOutput& out, int indent, const std::string& title, const List& list) {
    Line(out, Indented(indent, title + " = " + Count(list.size()) + "\n"));
    if (list.empty())
        None(out, indent + 3);
    for (const auto& node : list)
        node->DumpTo(out, indent + 3);
}

} // namespace

void CKXMLCodexNode::DumpTo(XmlOutput& out, int indent) const {
    Line(out, Indented(indent, "Type = " + XmlKindName(kind_) + "\n"));
    Line(out, Indented(indent, "Name = " + name_ + "\n"));
    Line(out, Indented(indent, "Value = '" + FlattenedValue(value_) + "'\n"));

    Frame(out, indent, "Attributes = " + Count(attributes_.size()));
    if (attributes_.empty())
        None(out, indent + 3);
    for (std::size_t k = 0; k < attributes_.size(); ++k) {
        Line(out, "\n" + Indented(indent + 3, "Attribute " + Count(k + 1) + " of " +
                                                  Count(attributes_.size()) + "\n"));
        Line(out, Indented(indent + 3, kDashes36) + "\n");
        attributes_[k]->DumpTo(out, indent + 3);
    }

    Frame(out, indent, "Child Nodes = " + Count(children_.size()));
    if (children_.empty())
        None(out, indent + 3);
    for (std::size_t k = 0; k < children_.size(); ++k) {
        Line(out, "\n" + Indented(indent, "Node " + Count(k + 1) + " of " +
                                              Count(children_.size()) + "\n"));
        Line(out, Indented(indent + 3, kDashes36) + "\n");
        children_[k]->DumpTo(out, indent + 3);
    }
}

void CKXMLCodexDocumentType::DumpTo(XmlOutput& out, int indent) const {
    Line(out, Indented(indent, "TypeName = '" + name + "'\n"));
    Line(out, Indented(indent, "PubID = '" + publicId + "'\n"));
    Line(out, Indented(indent, "SysID = '" + systemId + "'\n"));
    Line(out, Indented(indent, "Version = '" + version + "'\n"));
    Line(out, Indented(indent, "Encoding = '" + encoding + "'\n"));
    Line(out, Indented(indent, "Standalone = '" + standalone + "'\n"));
    DumpList(out, indent, "Comments", comments);
    DumpList(out, indent, "Processing Instructions", processingInstructions);
    DumpList(out, indent, "Entities", entities);
    DumpList(out, indent, "Notations", notations);
}

void CKXMLCodexDocument::DumpTo(XmlOutput& out, int indent) const {
    Line(out, Indented(indent, "XML Document:\n"));
    docType_.DumpTo(out, indent + 3);
    Line(out, std::string("\n\n") + kEquals51 + "\n");
    DumpList(out, indent, "Document Comments", comments_);
    Line(out, std::string("\n\n") + kEquals51 + "\n");
    DumpList(out, indent, "Document Processing Instructions", processingInstructions_);
    Line(out, std::string("\n\n") + kEquals51 + "\n");
    Line(out, Indented(indent, "Document Element:\n"));
    if (root_)
        root_->DumpTo(out, indent + 3);
    else
        None(out, indent + 6);
}

void CKXMLCodexNode::Dump(CKSPBufferedFile& file, int indent) const {
    XmlFileOutput output(file);
    DumpTo(output, indent);
}

void CKXMLCodexDocumentType::Dump(CKSPBufferedFile& file, int indent) const {
    XmlFileOutput output(file);
    DumpTo(output, indent);
}

void CKXMLCodexDocument::DumpToString(std::string& text, int indent) const {
    XmlStringOutput output(text);
    DumpTo(output, indent);
}

void CKXMLCodexDocument::DumpToFile(const std::string& path, int indent) const {
    CKSPBufferedFile file(CKSPBufferedFile::kDefaultBufferSize);
    if (!file.OpenTextWrite(path, platform::kShareDenyNone, true))
        return;
    XmlFileOutput output(file);
    DumpTo(output, indent);
    file.CloseFile();
}
