// Loading and unloading the library: what the load sequence attaches, creates and reads in
// each situation, and that unloading releases all of it.
#include "library_fixture.h"

#include "config/page_layout.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::kServiceRunning;
using platform::kServiceStopped;

class Lifecycle : public LibraryTest {};

TEST_F(Lifecycle, ServiceStoppedLoadsConfigurationWithoutAttaching) {
    installService(kServiceStopped);
    world().writeIni("MAX_EXCHANGE_SIZE = 200\n[EXCHANGE_DEFS]\n1 100 1 node1 node2\n2 50 1 node2 node1 E=7\n");
    attach();
    EXPECT_EQ(state().view.address(), nullptr);
    EXPECT_FALSE(state().mappingHandle);
    EXPECT_EQ(state().configPathValid, 1);
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(state().exchangeCount, 2u);
    EXPECT_EQ(state().params.maxExchangeSize, 200);
    EXPECT_TRUE(state().iniMutex);
    EXPECT_TRUE(world().sleeps.empty());
    ASSERT_NE(world().mutex("ZYN_MAP_1-00001"), nullptr);
    EXPECT_NE(world().mutex("ZYN_MAP_1-00002"), nullptr);
}

TEST_F(Lifecycle, MissingFileLoadsEmptyTableWithDefaults) {
    installService(kServiceStopped);
    attach();
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(state().exchangeCount, 0u);
    EXPECT_EQ(state().params.maxExchangeSize, 1024);
    EXPECT_EQ(state().params.maxStaticExchanges, 512);
    EXPECT_EQ(state().params.maxDynamicExchanges, 256u);
    EXPECT_EQ(state().params.exchMap, 0);
}

TEST_F(Lifecycle, RunningServiceWithSectionAttachesOnFirstAttemptWithoutPausing) {
    installService(kServiceRunning);
    world().createSection(config::kSectionName, 600 * 1024);
    attach();
    EXPECT_NE(state().view.address(), nullptr);
    EXPECT_EQ(state().view.size(), 600u * 1024);
    EXPECT_EQ(world().calls(fake::Op::OpenSection), 1);
    EXPECT_TRUE(world().sleeps.empty()) << "the pause is for a section that is not there yet";
}

TEST_F(Lifecycle, RunningServiceWithoutSectionTries46TimesOneSecondApart) {
    installService(kServiceRunning);
    attach();
    EXPECT_EQ(world().calls(fake::Op::OpenSection), 2 * 46) << "each attempt tries the plain name, then Global\\";
    EXPECT_EQ(world().sleeps, std::vector<uint32_t>(46, 1000));
    EXPECT_EQ(world().now, 46000u);
    EXPECT_EQ(state().view.address(), nullptr);
    EXPECT_EQ(state().loaded, 1) << "an unattached load still reads the configuration";
}

TEST_F(Lifecycle, SectionAppearingLateIsAttachedWhenItAppears) {
    installService(kServiceRunning);
    world().at(5000, [this] { world().createSection(config::kSectionName, 4096); });
    attach();
    EXPECT_EQ(world().calls(fake::Op::OpenSection), 2 * 5 + 1) << "five attempts on both names, then the plain one";
    EXPECT_NE(state().view.address(), nullptr);
}

TEST_F(Lifecycle, OtherPlatformBuildsPathOnlyAndStatusTestsAnswerOne) {
    world().ntFamily = false;
    world().writeIni("[EXCHANGE_DEFS]\n1 100 1 a b\n");
    attach();
    EXPECT_EQ(state().platformIsNt, 0);
    EXPECT_EQ(state().configPathValid, 1);
    EXPECT_FALSE(state().iniMutex);
    EXPECT_EQ(state().loaded, 0);
    EXPECT_EQ(world().calls(fake::Op::OpenManager), 0);
    EXPECT_EQ(ZYN_IsServicePresent(), 1);
    EXPECT_EQ(state().servicePresent, 1);
    EXPECT_EQ(ZYN_IsServiceRunning(), 1);
    EXPECT_EQ(world().calls(fake::Op::OpenManager), 0);
}

TEST_F(Lifecycle, NullIniMutexStillLoads) {
    installService(kServiceStopped);
    world().failAllCalls(fake::Op::CreateMutex);
    world().failAllCalls(fake::Op::OpenMutex);
    world().writeIni("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 100 1 a b\n");
    attach();
    EXPECT_FALSE(state().iniMutex);
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(state().exchangeCount, 1u);
    EXPECT_EQ(state().params.exchMap, 1);
}

TEST_F(Lifecycle, WindowsDirectoryThatCannotBeExpandedLoadsNothing) {
    installService(kServiceStopped);
    world().failAllCalls(fake::Op::ExpandWindir);
    attach();
    EXPECT_EQ(state().configPathValid, 0);
    EXPECT_EQ(state().loaded, 0);
    EXPECT_TRUE(state().iniMutex);
    EXPECT_EQ(state().params.maxStaticExchanges, 512);
}

TEST_F(Lifecycle, WindowsDirectoryTooLongForThePathIsRefusedNotCut) {
    installService(kServiceStopped);
    for (size_t length : {247u, 248u, 255u, 300u}) {
        SCOPED_TRACE(length);
        core::resetLibraryState();
        world().windowsDirectoryOverride = "C:" + std::string(length - 2, 'w');
        attach();
        // 247 characters, "\zyn.ini" and the terminator fill the 256 bytes exactly.
        EXPECT_EQ(state().configPathValid, length <= 247 ? 1 : 0);
        if (length <= 247) {
            EXPECT_EQ(std::string(state().configPath).size(), length + 8);
        }
        detach();
    }
}

TEST_F(Lifecycle, LimitWhoseTablesCannotBeAllocatedLeavesLibraryUsable) {
    installService(kServiceStopped);
    world().writeIni("MAX_STATIC_EXCHANGES = 1073741823\n[EXCHANGE_DEFS]\n1 100 1 a b\n");
    attach();
    EXPECT_EQ(state().loaded, 0);
    EXPECT_FALSE(state().exchangeTable);
}

TEST_F(Lifecycle, UnloadAfterFullLoadReleasesEverything) {
    installService(kServiceRunning);
    world().createSection(config::kSectionName, 1 << 20);
    world().writeIni("[EXCHANGE_DEFS]\n1 100 1 a b\n2 100 1 a b\n");
    attach();
    EXPECT_GT(world().openKernelHandles(), 2);
    detach();
    EXPECT_EQ(world().openKernelHandles(), 0);
    EXPECT_EQ(world().mappedViews, 0);
    EXPECT_TRUE(world().liveBlocks.empty());
}

TEST_F(Lifecycle, InitAnswersZeroAlways) {
    EXPECT_EQ(ZYN_Init(), 0);
    installService(kServiceStopped);
    attach();
    EXPECT_EQ(ZYN_Init(), 0);
}

} // namespace
} // namespace zyn::testing
