#include <gtest/gtest.h>

#include <filesystem>

#include "plugin/PluginState.h"
#include "plugin/PqeAdapter.h"
#include "tests/native/DialogFixture.h"
#include "tests/native/PqeScratch.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

// Runs in a scratch directory with the enhancement library.
class PqeAdapterTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        scratch.Enter();
    }
    void TearDown() override {
        scratch.Leave();
        DialogFixture::TearDown();
    }
    void Install(const char* library) { scratch.Install(library); }
    std::string Calls() const { return scratch.Calls(); }
    fs::path Dir() const { return scratch.Dir(); }
    static std::unique_ptr<CKIPImage16Bit> Picture() {
        auto image = std::make_unique<CKIPImage16Bit>();
        image->Create(5, 3, 6, 16, 300, 400);
        for (std::uint32_t y = 0; y < 3; ++y)
            for (std::uint32_t x = 0; x < 5; ++x)
                image->GetRow(y)[x] = static_cast<std::uint16_t>(1000 * y + x);
        return image;
    }

    PqeScratch scratch;
};

TEST_F(PqeAdapterTest, AnAbsentLibraryWarnsEveryTimeAndEnhancesNothing) {
    CPQEDLL_IFace adapter;
    auto image = Picture();
    EXPECT_EQ(adapter.Enhance(*image, 1), nullptr);
    EXPECT_EQ(LastErrorText(), "Unable to load imaging DLL 'pqekip.dll'");
    EXPECT_EQ(adapter.Load(), 0);
    const auto shown = boxes->Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "PQE Enhancement");
    EXPECT_EQ(shown[0].text, "The PQE enhancement could not be applied.  The 'pqekip.dll' DLL "
                             "file could not be loaded");
    EXPECT_EQ(shown[0].style, 0x2000u | 0x40000u | 0x10000u | 0x30u);
}

TEST_F(PqeAdapterTest, TheLevelChoosesTheParametersAndTheResultKeepsTheResolution) {
#ifdef PQE_DECORATED_LIBRARY
    const char* const libraries[] = {PQE_ALL_LIBRARY, PQE_DECORATED_LIBRARY};
#else
    const char* const libraries[] = {PQE_ALL_LIBRARY};
#endif
    for (const char* library : libraries) {
        SCOPED_TRACE(library);
        fs::remove(Dir() / "pqekip.dll");
        fs::remove(Dir() / "pqe-calls.txt");
        Install(library);
        {
            CPQEDLL_IFace adapter;
            auto image = Picture();
            auto result = adapter.Enhance(*image, 1);
            ASSERT_NE(result, nullptr);
            EXPECT_EQ(result->GetRow(2)[4], 2004 + 633);
            EXPECT_EQ(result->GetResolutionX(), 300u);
            EXPECT_EQ(result->GetResolutionY(), 400u);
            EXPECT_EQ(image->GetRow(2)[4], 2004); // the input stays as it was
            adapter.Enhance(*image, 3);
            adapter.Enhance(*image, 2);
            adapter.Enhance(*image, -4);
            EXPECT_EQ(adapter.Enhance(*image, 0), nullptr);
        }
        EXPECT_EQ(Calls(), "Init()\nProcessImage(62, 13)\nProcessImage(38, 3)\n"
                           "ProcessImage(50, 9)\nProcessImage(50, 9)\nClose()\n");
        EXPECT_TRUE(boxes->Shown().empty());
    }
}

TEST_F(PqeAdapterTest, MissingFunctionsWarnOnceAndProcessImageStillRuns) {
    Install(PQE_ONLY_PROCESS_LIBRARY);
    CPQEDLL_IFace adapter;
    EXPECT_EQ(adapter.Load(), 0);
    EXPECT_EQ(adapter.Load(), 1);
    auto image = Picture();
    ASSERT_NE(adapter.Enhance(*image, 1), nullptr);
    const auto shown = boxes->Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Imaging Function Warning");
    EXPECT_EQ(shown[0].text, "WARNING!  The imaging DLL 'pqekip.dll' did not contain the "
                             "following functions!  This may result in limited image capture "
                             "functionality!\n\nInit(), ProcessPreview(), Close()");
    EXPECT_EQ(Calls(), "ProcessImage(62, 13)\n");
}

} // namespace
