#pragma once

#include <string>
#include <string_view>

#include "support/BufferedFile.h"

// Where XML text goes: a file open for writing or a string. Both receive the
// same characters.
class XmlOutput {
public:
    virtual ~XmlOutput() = default;
    virtual bool Put(std::string_view text) = 0;
    bool PutIndent(int indent) { return indent <= 0 || Put(std::string(indent, ' ')); }
};

class XmlFileOutput : public XmlOutput {
public:
    explicit XmlFileOutput(CKSPBufferedFile& file) : file_(file) {}
    bool Put(std::string_view text) override { return file_.WriteText(text); }

private:
    CKSPBufferedFile& file_;
};

class XmlStringOutput : public XmlOutput {
public:
    explicit XmlStringOutput(std::string& text) : text_(text) {}
    bool Put(std::string_view text) override {
        text_.append(text);
        return true;
    }

private:
    std::string& text_;
};
