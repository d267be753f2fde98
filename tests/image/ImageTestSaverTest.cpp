#include <gtest/gtest.h>

#include "image/ImageTestSaver.h"
#include "platform/HeadlessMessageBoxes.h"
#include "support/FileHelpers.h"
#include "tests/support/TestFiles.h"

using namespace testing_files;

TEST(ImageTestSaver, DumpBytesNamesAndOldDumps) {
    TempDirectory dir;
    ASSERT_TRUE(WriteFile(dir.Path("ToviUSBII_old.RAW16"), "old"));
    ASSERT_TRUE(WriteFile(dir.Path("Other.RAW16"), "kept"));
    std::vector<std::uint16_t> samples(100 * 80, 0x0102);
    ImageSaveRequest request{"RawSensorData", samples.data(), 2, 16, 100, 80, 100, 600, 600, ""};

    CKIPImageTestSaver saver;
    saver.SetBaseFilename("ToviUSBII");
    saver.SetDirectory(dir.Path());
    saver.SetDeleteOldFiles(true);
    saver.SaveImage(request);
    std::string first = dir.Path("ToviUSBII_RawSensorData.RAW16");
    EXPECT_FALSE(ksp::FileExists(dir.Path("ToviUSBII_old.RAW16")));
    EXPECT_TRUE(ksp::FileExists(dir.Path("Other.RAW16")));
    std::string bytes = ReadFile(first);
    ASSERT_EQ(bytes.size(), 16032u);
    EXPECT_EQ(bytes.substr(0, 32), std::string("\x02\0\0\0\x10\0\0\0d\0\0\0P\0\0\0d\0\0\0"
                                               "\x58\x02\0\0\x58\x02\0\0\0\0\0\0",
                                               32));
    EXPECT_EQ(bytes.substr(32, 2), "\x02\x01");

    saver.SaveImage(request); // the same saver numbers its next file
    EXPECT_TRUE(ksp::FileExists(dir.Path("ToviUSBII_RawSensorData_2.RAW16")));

    CKIPImageTestSaver next; // a fresh saver removes both before writing one
    next.SetBaseFilename("ToviUSBII");
    next.SetDirectory(dir.Path());
    request.note = "n";
    next.SaveImage(request);
    EXPECT_FALSE(ksp::FileExists(dir.Path("ToviUSBII_RawSensorData_2.RAW16")));
    EXPECT_EQ(ReadFile(first).size(), 16033u);
}

TEST(ImageTestSaver, AFailedWriteShowsTheBox) {
    auto owned = std::make_unique<platform::HeadlessMessageBoxes>();
    platform::HeadlessMessageBoxes* boxes = owned.get();
    platform::SetMessageBoxes(std::move(owned));
    TempDirectory dir;
    ImageSaveRequest request{"", nullptr, 2, 16, 10, 10, 10, 0, 0, ""}; // no samples
    CKIPImageTestSaver saver;
    saver.SetBaseFilename("dump");
    saver.SetDirectory(dir.Path());
    saver.SaveImage(request);
    ASSERT_EQ(boxes->Shown().size(), 1u);
    EXPECT_EQ(boxes->Shown()[0].caption, "Unable To Save");
    EXPECT_EQ(boxes->Shown()[0].text.rfind("CKIPImageTestSaver::SaveImage() could not save the "
                                           "image. ",
                                           0),
              0u);
    EXPECT_EQ(boxes->Shown()[0].style, 0x52030u);
    platform::SetMessageBoxes(nullptr);
}
