#include <gtest/gtest.h>

#include <cstring>

#include "platform/Clock.h"
#include "platform/GlobalMemory.h"
#include "platform/Thread.h"
#include "plugin/Translator.h"

TEST(GlobalMemory, ZeroFilledLockableBlocks) {
    EXPECT_EQ(platform::GlobalAllocZeroed(0), nullptr);
    platform::GlobalHandle block = platform::GlobalAllocZeroed(40);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(platform::GlobalBlockSize(block), 40u);
    auto* bytes = static_cast<unsigned char*>(platform::GlobalLockBlock(block));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(bytes[i], 0);
    std::memset(bytes, 0xAB, 40);
    platform::GlobalUnlockBlock(block);
    platform::GlobalFreeBlock(block);
}

TEST(VirtualClock, SleepAdvancesVirtualTimeOnly) {
    platform::VirtualClock clock;
    clock.Sleep(600000);
    EXPECT_EQ(clock.Milliseconds(), 600000u);
    platform::SystemTime time = clock.UtcNow();
    EXPECT_EQ(time.year, 2000u);
    EXPECT_EQ(time.minute, 10u);
}

TEST(Translator, BranchesInOrder) {
    Translator translator;
    EXPECT_EQ(translator.Translate("Ready"), "Ready");
    EXPECT_EQ(translator.Language(), "American_English");
    translator.AddTableEntry("Ready", "Bereit");
    EXPECT_EQ(translator.Translate("Ready"), "Bereit");
    translator.SetPseudoTranslation(true);
    EXPECT_EQ(translator.Translate("Ready"), "xxxxx");
    EXPECT_EQ(translator.Translate(""), "");
}

TEST(Thread, RunsTheBodyAndJoinsOnDestruction) {
    int runs = 0;
    {
        platform::Thread worker([&] { ++runs; }, platform::ThreadPriority::TimeCritical);
    }
    EXPECT_EQ(runs, 1);
    platform::Thread worker([&] { ++runs; }, platform::ThreadPriority::Normal);
    worker.Join();
    worker.Join();
    EXPECT_EQ(runs, 2);
}
