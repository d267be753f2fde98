#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "platform/VersionResource.h"
#include "support/Environment.h"
#include "support/FileVersion.h"

namespace {

class FakeVersionResource : public platform::VersionResource {
public:
    std::optional<std::string> QueryText(const std::string& subBlock) const override {
        auto found = texts.find(subBlock);
        return found == texts.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    std::vector<std::uint8_t> QueryBytes(const std::string& subBlock) const override {
        return subBlock == "\\VarFileInfo\\Translation" ? translation : std::vector<std::uint8_t>{};
    }
    std::map<std::string, std::string> texts;
    std::vector<std::uint8_t> translation;
};

} // namespace

TEST(Environment, NamesAndDirectories) {
    EXPECT_EQ(ksp::ClientNameFromValue("Console"), "");
    EXPECT_EQ(ksp::ClientNameFromValue("cONSOLE"), "");
    EXPECT_EQ(ksp::ClientNameFromValue("RDP-PC"), "RDP-PC");
    EXPECT_EQ(ksp::HostDirectoryFromArguments({}), "C:\\");
    EXPECT_EQ(ksp::HostDirectoryFromArguments({"C:\\Imaging\\.\\bin\\Host.exe", "-x"}),
              "C:\\Imaging\\bin");
    EXPECT_EQ(ksp::HostDirectoryFromArguments({"Host.exe"}), "");
    // The client name wins only where one is set.
    if (ksp::GetClientName().empty()) {
        EXPECT_EQ(ksp::GetComputerName(true), ksp::GetComputerName(false));
    }
    EXPECT_FALSE(ksp::GetComputerName(false).empty());
    EXPECT_NE(ksp::GetLibraryDirectory(), "");
    EXPECT_EQ(ksp::GetLibraryPath().rfind(ksp::GetLibraryDirectory() + "\\", 0), 0u);
    std::string ip = ksp::GetIPAddress(); // a dotted address or one of the two fixed texts
    EXPECT_FALSE(ip.empty());
}

TEST(Environment, VariablesAreMatchedExactly) {
#ifdef _WIN32
    _putenv_s("TOVI_TEST_VARIABLE", "a=b");
#else
    setenv("TOVI_TEST_VARIABLE", "a=b", 1);
#endif
    EXPECT_EQ(ksp::GetEnvironmentValue("TOVI_TEST_VARIABLE"), "a=b");
    EXPECT_EQ(ksp::GetEnvironmentValue("TOVI_TEST_VARIABL"), "");
    CKSPEnvironment snapshot;
    for (const tagKSPEnvVar& variable : snapshot.Variables())
        EXPECT_FALSE(variable.name.empty());
}

TEST(FileVersion, WordsFillThePartsByTheirCount) {
    auto parts = [](const std::string& text) {
        FileVersionNumber v = ksp::ParseVersionString(text);
        return std::vector<std::uint32_t>{v.major, v.minor, v.build, v.revision};
    };
    using Parts = std::vector<std::uint32_t>;
    EXPECT_EQ(parts("1.0.3.12"), (Parts{1, 0, 3, 12}));
    EXPECT_EQ(parts("2, 5, 7, 9, 11"), (Parts{2, 5, 7, 9}));
    EXPECT_EQ(parts("4.1.6"), (Parts{4, 1, 0, 6}));
    EXPECT_EQ(parts("  7 "), (Parts{7, 0, 0, 0}));
    EXPECT_EQ(parts("3;8"), (Parts{3, 8, 0, 0}));
    EXPECT_EQ(parts("5b.2-rc"), (Parts{5, 2, 0, 0}));
    EXPECT_EQ(parts(""), (Parts{0, 0, 0, 0}));
}

TEST(FileVersion, TemplatesAreFilledInOrder) {
    FileVersionNumber v{1, 0, 3, 12};
    EXPECT_EQ(ksp::FormatVersion(v, "%s"), "Version 1 (1.0.3.12)");
    EXPECT_EQ(ksp::FormatVersion(v, "[%S|%d|%D]"), "[Version 1 (1.0.3.12)|1.0.3.12|1.0.3.12]");
    EXPECT_EQ(ksp::FormatVersion(v, "%v1.%v2"), "1.0");
    EXPECT_EQ(ksp::FormatVersion(v, "%V3/%4/%1%2"), "3/12/10");
    EXPECT_EQ(ksp::FormatVersion(v, "v=%v"), "v=Version 1 (1.0.3.12)");
    EXPECT_EQ(ksp::FormatFileVersion("missing-file.dll", "%s"), "<Unknown Version>");
    EXPECT_EQ(ksp::GetProductVersionString("missing-file.dll"), "");
}

TEST(FileVersion, EnglishBlockFirstThenTheFirstTranslation) {
    FakeVersionResource resource;
    resource.texts["\\StringFileInfo\\040704e4\\ProductVersion"] = "3, 1, 4";
    EXPECT_EQ(ksp::ProductVersionOf(resource), "");
    resource.translation = {0x07, 0x04, 0xE4};
    EXPECT_EQ(ksp::ProductVersionOf(resource), "");
    resource.translation = {0x07, 0x04, 0xE4, 0x04, 0x09, 0x04, 0xB0, 0x04};
    EXPECT_EQ(ksp::ProductVersionOf(resource), "3, 1, 4");
    resource.texts["\\StringFileInfo\\040904B0\\ProductVersion"] = "9.9";
    EXPECT_EQ(ksp::ProductVersionOf(resource), "9.9");
}

TEST(FileVersion, TheModuleReportsTheVersionItWasBuiltAs) {
    EXPECT_EQ(ksp::GetFileVersionText(ksp::GetLibraryPath()), "Version 2 (2.0.0.1)");
}
