#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Clock.h"
#include "support/xml/XmlDocument.h"
#include "tests/support/TestFiles.h"

using namespace testing_files;

namespace {

std::string Written(const CKXMLCodexDocument& document) {
    std::string text;
    EXPECT_TRUE(document.WriteToString(text));
    return text;
}

} // namespace

TEST(XmlDocument, WriterFormats) {
    CKXMLCodexDocument document;
    document.Initialize("", "1.0", "UTF-8", "");
    document.AddComment("top");
    document.AddProcessingInstruction("app", "go");
    CKXMLCodexElement* root = document.CreateRootElement("settings", "");
    CKXMLCodexElement* sensor = root->AppendChildElement("SENSOR", "");
    sensor->AddAttribute("id", "2000");
    sensor->AddAttribute("note", "say \"hi\""); // written unchanged
    root->AppendChildElement("a", "")->AppendChild(document.CreateText(nullptr));
    root->GetChildElement(1)->GetChild(0)->SetValue("t");
    CKXMLCodexElement* mixed = root->InsertChildElement(-5, "m", "tail");
    mixed->AppendChild(document.CreateComment(mixed));
    mixed->AppendChild(document.CreateCDATASection(mixed));
    mixed->AppendChild(document.CreateEntityReference(mixed));
    EXPECT_EQ(Written(document), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<!--top-->\n"
                                 "<?app go?>\n"
                                 "<settings>\n"
                                 "   <m>\n"
                                 "      <!---->\n"
                                 "      <![CDATA[]]>tail   </m>\n"
                                 "   <SENSOR id=\"2000\" note=\"say \"hi\"\"/>\n"
                                 "   <a>t</a>\n"
                                 "</settings>\n");

    document.SetDocTypeName("settings");
    document.SetExternalID("pub", "sys.dtd");
    document.AddDocTypeComment("c");
    EXPECT_NE(Written(document).find("<!DOCTYPE settings PUBLIC \"pub\" SYSTEM \"sys.dtd\"\n"
                                     "[<!--c-->\n]\n>\n<settings>"),
              std::string::npos);
    document.SetDocTypeName("Settings"); // the root is "settings": case matters here
    std::string text;
    EXPECT_FALSE(document.WriteToString(text));
    EXPECT_EQ(text, "");
}

TEST(XmlDocument, SaveWritesWhatTheStringGets) {
    TempDirectory dir;
    CKXMLCodexDocument document;
    document.CreateRootElement("r", "")->AppendChildElement("c", "v");
    ASSERT_TRUE(document.Save(dir.Path("out.xml")));
    std::string expected = "<?xml version=\"1.0\"?>\n<r>\n   <c>v</c>\n</r>\n";
#ifdef _WIN32
    expected = "<?xml version=\"1.0\"?>\r\n<r>\r\n   <c>v</c>\r\n</r>\r\n"; // text mode
#endif
    EXPECT_EQ(ReadFile(dir.Path("out.xml")), expected);
    EXPECT_FALSE(document.Save(dir.Path("missing\\out.xml")));
    CKSPBufferedFile closed;
    EXPECT_FALSE(document.Write(closed));
}

TEST(XmlDocument, NamesLookupsAndText) {
    platform::SetClock(std::make_shared<platform::VirtualClock>());
    CKXMLCodexDocument document;
    CKXMLCodexElement* root = document.CreateRootElement("Root", "");
    CKXMLCodexElement* named = root->AppendChildElement("  9 lives ", "");
    EXPECT_EQ(named->GetName(), "_9_lives");
    EXPECT_EQ(root->AppendChildElement("\t", "")->GetName(), "_386D4380");
    EXPECT_EQ(root->AppendChildElement("a b:c-d.e", "")->GetName(), "a_b:c-d.e");
    EXPECT_EQ(root->AppendChildElement("", ""), nullptr);
    platform::SetClock(nullptr);

    auto orphan = document.CreateElement(nullptr);
    orphan->Clear();
    EXPECT_EQ(orphan->AddAttribute("x", "1"), nullptr); // no owner after Clear
    EXPECT_EQ(orphan->GetKind(), kXmlNull);

    CKXMLCodexElement* texts = root->AppendChildElement("texts", "");
    texts->AppendChild(document.CreateComment(texts));
    auto a = document.CreateText(texts);
    a->SetValue("A");
    texts->AppendChild(std::move(a));
    CKXMLCodexElement* inner = texts->AppendChildElement("Inner", "");
    auto b = document.CreateText(texts);
    b->SetValue("B");
    texts->AppendChild(std::move(b));
    EXPECT_EQ(texts->GetText(), "A B");
    EXPECT_FALSE(texts->HasOnlyTextChildren());
    EXPECT_EQ(texts->GetChildElement(0), inner);
    EXPECT_EQ(texts->GetChildElement(1), nullptr);
    EXPECT_EQ(texts->GetChildElementCount(), 1u);
    EXPECT_EQ(texts->FindChild("INNER"), inner);
    EXPECT_EQ(texts->GetChild(99), nullptr);

    inner->AddAttribute("ID", "first");
    inner->AddAttribute("id", "second");
    EXPECT_EQ(inner->GetAttributeValue("Id"), "first");
    EXPECT_EQ(inner->GetAttributeValue("none"), "");
    inner->SetValue("value");
    EXPECT_EQ(document.FindElement("inner"), inner); // a grandchild of the root
    EXPECT_EQ(document.FindElement("ROOT"), root);
    EXPECT_EQ(document.GetElementValue("Inner"), "value");
    EXPECT_EQ(document.FindElement("nothing"), nullptr);
    EXPECT_EQ(XmlKindName(12), "Unknown Node Type 12");
    EXPECT_EQ(XmlKindName(kXmlCDATASection), "CDATASection");

    document.Initialize("My doc-type.1", "1.1", "", "yes");
    EXPECT_EQ(document.DocumentType().name, "My_doc_type_1");
    EXPECT_EQ(document.GetRootElement(), nullptr);
}

// Walking all 40,000 element children by index from the first child each time
// would examine about 1.6 billion children.
TEST(XmlDocument, WalksOverChildElementsExamineEachChildOnce) {
    constexpr std::size_t kElements = 40000;
    CKXMLCodexDocument document;
    CKXMLCodexElement* root = document.CreateRootElement("settings", "");
    for (std::size_t i = 0; i < kElements; ++i) {
        root->AppendChild(document.CreateComment(root));
        root->AppendChildElement("SENSOR", "")->AddAttribute("id", std::to_string(i));
    }
    root->GetChildElement(0)->AppendChildElement("Target", "nested");
    root->AppendChildElement("target", "top");
    const std::uint64_t children = root->GetChildCount();

    std::uint64_t before = XmlChildVisits();
    std::size_t index = 0;
    std::size_t outOfOrder = 0;
    for (const CKXMLCodexElement& element : root->ChildElements()) {
        if (index < kElements && element.GetAttributeValue("id") != std::to_string(index))
            ++outOfOrder;
        ++index;
    }
    EXPECT_EQ(index, kElements + 1);
    EXPECT_EQ(outOfOrder, 0u);
    EXPECT_EQ(XmlChildVisits() - before, children);

    before = XmlChildVisits();
    EXPECT_EQ(document.GetElementValue("TARGET"), "nested"); // pre-order: the grandchild first
    EXPECT_EQ(document.FindElement("missing"), nullptr);
    EXPECT_LE(XmlChildVisits() - before, 2 * (children + 1));
}

TEST(XmlDocument, DumpLineForLine) {
    CKXMLCodexDocument document;
    document.AddComment("c\tx");
    CKXMLCodexElement* root = document.CreateRootElement("r", "v\n");
    root->AddAttribute("a", "1");
    root->AppendChildElement("k", "");
    std::string dump;
    document.DumpToString(dump, 0);
    const std::string eq36(36, '='), dash36(36, '-'), eq51(51, '=');
    auto none = [](int indent) { return std::string(indent, ' ') + "<None>\n"; };
    auto frame = [&](int indent, const std::string& heading) {
        std::string pad(indent, ' ');
        return "\n" + pad + eq36 + "\n" + pad + heading + "\n" + pad + eq36 + "\n";
    };
    auto node = [&](int indent, const char* type, const char* name, const char* value) {
        std::string pad(indent, ' ');
        return pad + "Type = " + type + "\n" + pad + "Name = " + name + "\n" + pad + "Value = '" +
               value + "'\n";
    };
    std::string expected = "XML Document:\n"
                           "   TypeName = ''\n   PubID = ''\n   SysID = ''\n   Version = '1.0'\n"
                           "   Encoding = ''\n   Standalone = ''\n"
                           "   Comments = 0\n      <None>\n"
                           "   Processing Instructions = 0\n      <None>\n"
                           "   Entities = 0\n      <None>\n"
                           "   Notations = 0\n      <None>\n";
    expected += "\n\n" + eq51 + "\nDocument Comments = 1\n";
    expected += node(3, "Comment", "", "c x") + frame(3, "Attributes = 0") + none(6) +
                frame(3, "Child Nodes = 0") + none(6);
    expected += "\n\n" + eq51 + "\nDocument Processing Instructions = 0\n" + none(3);
    expected += "\n\n" + eq51 + "\nDocument Element:\n";
    expected += node(3, "Element", "r", "v ") + frame(3, "Attributes = 1");
    expected += "\n      Attribute 1 of 1\n      " + dash36 + "\n";
    expected += node(6, "Attribute", "a", "1") + frame(6, "Attributes = 0") + none(9) +
                frame(6, "Child Nodes = 0") + none(9);
    expected += frame(3, "Child Nodes = 1") + "\n   Node 1 of 1\n      " + dash36 + "\n";
    expected += node(6, "Element", "k", "") + frame(6, "Attributes = 0") + none(9) +
                frame(6, "Child Nodes = 0") + none(9);
    EXPECT_EQ(dump, expected);

    TempDirectory dir;
    document.DumpToFile(dir.Path("dump.txt"), 0);
    EXPECT_FALSE(ReadFile(dir.Path("dump.txt")).empty());
    CKXMLCodexDocument empty;
    std::string emptyDump;
    empty.DumpToString(emptyDump, 2);
    EXPECT_TRUE(emptyDump.ends_with("\n  Document Element:\n" + none(8)));
}
