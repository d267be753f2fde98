#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/LastError.h"
#include "support/xml/XmlParser.h"

namespace {

class XmlParser : public ::testing::Test {
protected:
    bool Parse(const std::string& text, bool requireDeclaration = false) {
        return parser.Parse(text.c_str(), &document, requireDeclaration);
    }
    CKXMLCodexElement& Root() { return *document.GetRootElement(); }
    std::string Error() const { return LastErrorText(); }

    CKXMLCodexParser parser;
    CKXMLCodexDocument document;
};

} // namespace

TEST_F(XmlParser, SettingsFileWithoutDeclaration) {
    ASSERT_TRUE(Parse("  \r\n<Settings>\n"
                      "  <SENSOR id=\"2000\" sensitivity = '5' id=\"again\"/>\n"
                      "  <!-- ToviRay family -->\n"
                      "  <Sensor ID=\"TOVIRAY\" >\n  </SENSOR>\n"
                      "  <Debug log=\"1\"/>\n"
                      "</settings>\n trailing text is not read <"));
    EXPECT_EQ(Root().GetName(), "Settings");
    ASSERT_EQ(Root().GetChildElementCount(), 3u);
    CKXMLCodexElement* first = Root().GetChildElement(0);
    EXPECT_EQ(first->GetName(), "SENSOR");
    ASSERT_EQ(first->GetAttributeCount(), 3u);
    EXPECT_EQ(first->GetAttribute(1)->GetName(), "sensitivity");
    EXPECT_EQ(first->GetAttribute(1)->GetValue(), "5");
    EXPECT_EQ(first->FindAttribute("ID")->GetValue(), "2000");
    EXPECT_EQ(Root().GetChildElement(1)->GetAttributeValue("id"), "TOVIRAY");
    EXPECT_EQ(Root().GetChildElement(1)->GetChildCount(), 0u); // white space makes no node
    EXPECT_TRUE(Root().GetChild(1)->IsComment());
    EXPECT_EQ(Root().GetChild(1)->GetValue(), " ToviRay family ");

    EXPECT_FALSE(Parse("<Settings/>", true));
    EXPECT_EQ(Error(), "Missing '<?xml' XML declaration tag header");
    EXPECT_FALSE(Parse("<!-- first --><Settings/>"));
}

TEST_F(XmlParser, DeclarationDoctypeAndProlog) {
    ASSERT_TRUE(Parse("<?XML Version='1.1' ENCODING=\"latin1\" standalone='no' ?>\n"
                      "<!-- a --><?pi data here ?>\n"
                      "<!doctype root public \"-//P\" 'r.dtd' [\n"
                      "  <!ELEMENT root (a | (b, c)*)+>\n"
                      "  <!ELEMENT a (#PCDATA | b)*>\n"
                      "  <!ELEMENT b EMPTY>\n"
                      "  <!ATTLIST root id ID #REQUIRED kind (x | y) 'x'>\n"
                      "  <!ENTITY copy \"(c)\">\n"
                      "  <!ENTITY % pe SYSTEM \"pe.ent\">\n"
                      "  <!ENTITY pic SYSTEM \"p.gif\" NDATA gif>\n"
                      "  <!NOTATION gif PUBLIC \"GIF\">\n"
                      "  %pe;\n"
                      "  <!-- in subset --><?skip me?>\n"
                      "]>\n"
                      "<root/><!-- after -->  ",
                      true));
    const CKXMLCodexDocumentType& type = document.DocumentType();
    EXPECT_EQ(type.version, "1.1");
    EXPECT_EQ(type.encoding, "latin1");
    EXPECT_EQ(type.standalone, "no");
    EXPECT_EQ(type.name, "root");
    EXPECT_EQ(type.publicId, "-//P");
    EXPECT_EQ(type.systemId, "r.dtd");
    ASSERT_EQ(type.comments.size(), 1u);
    EXPECT_EQ(type.comments[0]->GetValue(), " in subset ");
    ASSERT_EQ(type.processingInstructions.size(), 1u);
    EXPECT_EQ(type.processingInstructions[0]->GetName(), "skip");
    ASSERT_EQ(document.Comments().size(), 2u);
    EXPECT_EQ(document.Comments()[1]->GetValue(), " after ");
    ASSERT_EQ(document.ProcessingInstructions().size(), 1u);
    EXPECT_EQ(document.ProcessingInstructions()[0]->GetValue(), "data here ");

    EXPECT_FALSE(Parse("<?xml version=\"1.0\"?><!DOCTYPE r [ <!BOGUS> ]><r/>"));
    EXPECT_EQ(Error().rfind("Unable to parse the root element: ", 0), 0u);
    EXPECT_FALSE(Parse("<?xml version=\"1.0\" <r/>", true));
    EXPECT_EQ(Error(), "Missing '?>' XML declaration tag closer");
}

TEST_F(XmlParser, ContentNodes) {
    ASSERT_TRUE(Parse("<Sensor a=\"a&lt;b\">  a b  <![CDATA[ <raw>\r\n]]>&amp;&#65;&#x4a;"
                      "<?target\r\n data\r?><!--x\ry--><child/>tail\n</SENSOR>"));
    EXPECT_EQ(Root().GetAttributeValue("a"), "a&lt;b");
    ASSERT_EQ(Root().GetChildCount(), 9u);
    auto child = [&](std::size_t i) { return Root().GetChild(i); };
    EXPECT_TRUE(child(0)->IsText());
    EXPECT_EQ(child(0)->GetValue(), "a b");
    EXPECT_TRUE(child(1)->IsCDATASection());
    EXPECT_EQ(child(1)->GetValue(), " <raw>\n");
    EXPECT_TRUE(child(2)->IsEntityReference());
    EXPECT_EQ(child(2)->GetValue(), "amp");
    EXPECT_EQ(child(3)->GetValue(), "&#65");
    EXPECT_EQ(child(4)->GetValue(), "&#x4a");
    EXPECT_TRUE(child(5)->IsProcessingInstruction());
    EXPECT_EQ(child(5)->GetName(), "target");
    EXPECT_EQ(child(5)->GetValue(), "data\n");
    EXPECT_EQ(child(6)->GetValue(), "x\ny");
    EXPECT_TRUE(child(7)->IsElement());
    EXPECT_EQ(child(8)->GetValue(), "tail");
    EXPECT_EQ(Root().GetText(), "a b tail");
}

TEST_F(XmlParser, FailuresNameTheirCause) {
    SetLastErrorText("");
    EXPECT_FALSE(parser.Parse(nullptr, &document, false));
    EXPECT_EQ(Error(), "");
    EXPECT_FALSE(Parse(""));
    EXPECT_EQ(Error(), "Invalid parameter specified");
    EXPECT_FALSE(parser.Parse("<a/>", nullptr, false));
    EXPECT_EQ(Error(), "Invalid parameter specified");
    EXPECT_FALSE(Parse(" \n\t"));
    EXPECT_EQ(Error(), "Unable to parse XML prolog. End-of-file encountered.");

    const std::string root = "Unable to parse the root element: ";
    EXPECT_FALSE(Parse("<Settings><SENSOR id='1'/> some text"));
    EXPECT_EQ(Error(), root + "Unable to parse element end tag. End-of-file encountered.");
    EXPECT_EQ(document.GetRootElement(), nullptr);
    EXPECT_FALSE(Parse("<a></b>"));
    EXPECT_EQ(Error(), root + "Miss matched element tag names detected: start tag = 'a'; end "
                              "tag = 'b'");
    EXPECT_FALSE(Parse("<a><b></a></b>")); // b fails, then a finds no end tag of its own
    EXPECT_EQ(Error(), root + "Missing '</' element tag header for element 'a'.");
    EXPECT_FALSE(Parse("<a><!-- one -- two --></a>"));
    EXPECT_EQ(Error(), root + "Missing '</' element tag header for element 'a'.");
    EXPECT_FALSE(Parse("<a></a"));
    EXPECT_EQ(Error(), root + "Missing '>' element end tag closer for element 'a'");
    EXPECT_FALSE(Parse("<a b='1></a>"));
    EXPECT_FALSE(Parse("<a b></a>"));
    EXPECT_FALSE(Parse("<1a/>"));
    EXPECT_EQ(parser.FailurePosition() <= 5, true);
}

// The document type's messages are overwritten by the enclosing productions
// before the parse ends; the observer sees each one as it is left.
TEST_F(XmlParser, ElementDeclarationMessages) {
    std::vector<std::string> messages;
    parser.SetFailureObserver(
        [&messages](const std::string& message) { messages.push_back(message); });
    // True when second is left right after first.
    auto leftInTurn = [&messages](const std::string& first, const std::string& second) {
        for (std::size_t i = 0; i + 1 < messages.size(); ++i) {
            if (messages[i] == first && messages[i + 1] == second)
                return true;
        }
        return false;
    };

    EXPECT_FALSE(Parse("<?xml version='1.0'?><!DOCTYPE r [<!ELEMENT r bogus>]><r/>"));
    EXPECT_TRUE(leftInTurn("Unable to parse content specification tag",
                           "Unable to parse element content specification"));

    messages.clear();
    EXPECT_FALSE(Parse("<?xml version='1.0'?><!DOCTYPE r [<!ELEMENT r"));
    EXPECT_TRUE(leftInTurn("Unable to parse content specification tag. End-of-file encountered.",
                           "Unable to parse element content specification"));
    EXPECT_EQ(messages.back(), Error());
}

TEST_F(XmlParser, DeepNestingFailsInsteadOfExhaustingTheStack) {
    std::string text;
    for (int i = 0; i < CKXMLCodexParser::kMaxNesting; ++i)
        text += "<e>";
    for (int i = 0; i < CKXMLCodexParser::kMaxNesting; ++i)
        text += "</e>";
    EXPECT_TRUE(Parse(text)) << Error();
    EXPECT_FALSE(Parse("<e>" + text + "</e>"));
    EXPECT_NE(Error().find("nested more than 256 levels deep"), std::string::npos) << Error();

    std::string hostile(200000, '<');
    EXPECT_FALSE(Parse(hostile));
    std::string particles = "<?xml version='1.0'?><!DOCTYPE r [<!ELEMENT r " +
                            std::string(100000, '(') + "a" + std::string(100000, ')') + ">]><r/>";
    EXPECT_FALSE(Parse(particles));
}

TEST_F(XmlParser, WhatParsedWritesBack) {
    const std::string text = "<?xml version=\"1.0\"?>\n<r>\n   <c k=\"v\">t</c>\n   <e/>\n</r>\n";
    ASSERT_TRUE(Parse(text, true));
    std::string written;
    ASSERT_TRUE(document.WriteToString(written));
    EXPECT_EQ(written, text);
}
