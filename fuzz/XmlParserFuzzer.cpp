// Feeds arbitrary bytes to the XML parser and writes back whatever parsed.

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/MemoryFile.h"
#include "support/xml/XmlParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    bool requireDeclaration = (data[0] & 1) != 0;
    CKXMLCodexParser parser;
    CKXMLCodexDocument document;

    // As the device manager does: a zero-terminated copy of the file.
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (parser.Parse(text.c_str(), &document, requireDeclaration)) {
        std::string written;
        document.WriteToString(written);
        std::string dump;
        document.DumpToString(dump, 0);
    }

    // The raw bytes, zeros included, through a source over the caller's buffer.
    CKSPMemoryFile source;
    source.Attach(data, size);
    if (parser.ParseSource(&source, &document, false)) {
        std::string written;
        document.WriteToString(written);
        if (const CKXMLCodexElement* root = document.GetRootElement()) {
            for (const CKXMLCodexElement& element : root->ChildElements())
                element.GetAttributeValue("id");
        }
    }
    return 0;
}
