#include <gtest/gtest.h>

#include "support/Environment.h"
#include "support/FileVersion.h"

// Built beside the test program with a German version block and no English one.
TEST(FileVersion, AFileWithOnlyAForeignBlockStillHasAVersion) {
    std::string path = ksp::GetLibraryDirectory() + "\\foreign_version.dll";
    EXPECT_EQ(ksp::GetProductVersionString(path), "3, 1, 4");
    EXPECT_EQ(ksp::FormatFileVersion(path, "%d"), "3.1.0.4");
    EXPECT_EQ(ksp::GetFileVersionText(path), "Version 3 (3.1.0.4)");
}
