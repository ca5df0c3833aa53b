// The page table, the exchange mutexes and the name index built from the exchange table, and
// the reload that rebuilds every table after zyn.ini has changed.
#include "library_fixture.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "config/loader.h"
#include "exchange_def_builder.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using config::PageLayout;
using platform::kServiceRunning;
using platform::kServiceStopped;

class PageTableTest : public LibraryTest {
protected:
    void load(const std::string& content) {
        installService(kServiceStopped);
        world().writeIni(content);
        attach();
    }
    // Handles this process holds on the named mutex.
    int handles(const std::string& name) {
        const fake::MutexObject* mutex = world().mutex(name);
        return mutex == nullptr ? 0 : mutex->handles;
    }
    const config::PageEntry& entry(int64_t index) {
        static const config::PageEntry none{-1, -1, -1, {}};
        const config::PageEntry* found = state().pageTable.find(index);
        if (found == nullptr) ADD_FAILURE() << "no page table entry " << index;
        return found != nullptr ? *found : none;
    }
    std::vector<std::string> indexedProducers() {
        std::vector<std::string> producers;
        for (uint32_t i = 0; i < state().exchangeCount; ++i)
            producers.emplace_back(state().nameIndex[i].producer);
        return producers;
    }
    // Every filled name index entry names its record: same producer and exchange id, and every
    // table position occurs once.
    void expectIndexMatchesTable() {
        ASSERT_GE(state().nameIndex.count(), state().exchangeCount);
        std::set<int32_t> positions;
        for (uint32_t i = 0; i < state().exchangeCount; ++i) {
            SCOPED_TRACE(::testing::Message() << "index entry " << i);
            const config::NameIndexEntry& indexEntry = state().nameIndex[i];
            const ExchangeDef* def = state().exchangeTable.record(static_cast<uint64_t>(indexEntry.tablePosition));
            ASSERT_NE(def, nullptr);
            EXPECT_EQ(std::memcmp(indexEntry.producer, def->producer, sizeof def->producer), 0);
            EXPECT_EQ(indexEntry.exchangeId, def->exchangeId);
            positions.insert(indexEntry.tablePosition);
        }
        EXPECT_EQ(positions.size(), state().exchangeCount);
    }
};

class ConfigPageTable : public PageTableTest {};
class ConfigReload : public PageTableTest {};

// ---- fixed layout

TEST_F(ConfigPageTable, FixedLayoutWithDefaultsCoversPages1To512) {
    load("[EXCHANGE_DEFS]\n1 100 1 a b\n512 8 1 c d\n");
    ASSERT_TRUE(state().pageTable);
    EXPECT_EQ(state().pageTable.layout(), PageLayout::Fixed);
    ASSERT_EQ(state().pageTable.count(), 513u);
    const struct {
        uint64_t page;
        int64_t pageOffset;
    } pages[] = {{1, 1024}, {512, 524288}};
    for (const auto& row : pages) {
        SCOPED_TRACE(row.page);
        EXPECT_EQ(entry(row.page).pageOffset, row.pageOffset);
        EXPECT_EQ(entry(row.page).statusOffset, static_cast<int64_t>(row.page));
    }
    EXPECT_NE(entry(1).mutex.get(), nullptr);
    EXPECT_NE(entry(512).mutex.get(), nullptr);
    EXPECT_EQ(state().pageTable.find(2), nullptr) << "a page no record uses has no entry: a load costs what it defines";
    EXPECT_EQ(handles("ZYN_MAP_1-00001"), 1);
    EXPECT_EQ(handles("ZYN_MAP_1-00512"), 1);
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00000"), nullptr);
}

TEST_F(ConfigPageTable, FixedLayoutFollowsTheHeadersSizes) {
    load("MAX_EXCHANGE_SIZE = 100\nMAX_STATIC_EXCHANGES = 10\n[EXCHANGE_DEFS]\n10 100 1 a b E=3\n");
    ASSERT_EQ(state().pageTable.count(), 11u);
    EXPECT_EQ(entry(3).pageOffset, 300);
    EXPECT_EQ(entry(10).pageOffset, 1000);
    EXPECT_EQ(entry(10).statusOffset, 10);
    // The record's mutex is kept at the entry of its exchange number and named with it.
    EXPECT_NE(entry(10).mutex.get(), nullptr);
    EXPECT_EQ(handles("ZYN_MAP_1-00010"), 1);
}

TEST_F(ConfigPageTable, EntriesHoldOffsetsWhetherOrNotAViewIsMapped) {
    installService(kServiceRunning);
    world().createSection(config::kSectionName, 1 << 20);
    world().writeIni("[EXCHANGE_DEFS]\n3 100 1 a b\n");
    attach();
    ASSERT_NE(state().view.address(), nullptr);
    EXPECT_EQ(entry(3).pageOffset, 3072);
    EXPECT_EQ(entry(3).statusOffset, 3);
}

TEST_F(ConfigPageTable, RecordsOnTheSamePageShareOneMutexHandle) {
    load("[EXCHANGE_DEFS]\n5 10 1 a b E=1\n5 20 1 c d E=2\n6 10 1 e f\n5 30 1 g h E=3\n");
    ASSERT_EQ(state().exchangeCount, 4u);
    EXPECT_EQ(handles("ZYN_MAP_1-00005"), 1);
    EXPECT_EQ(handles("ZYN_MAP_1-00006"), 1);
    EXPECT_NE(entry(5).mutex.get(), nullptr);

    // Released and opened again by a reload, and closed once at unload (the fixture checks
    // that no handle is closed twice or left open).
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(handles("ZYN_MAP_1-00005"), 1);
    detach();
    EXPECT_EQ(handles("ZYN_MAP_1-00005"), 0);
    EXPECT_EQ(handles("ZYN_MAP_1-00006"), 0);
}

TEST_F(ConfigPageTable, ExistingMutexIsOpenedWhenCreationIsRefused) {
    installService(kServiceStopped);
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n3 10 1 a b\n");
    world().mutexes["ZYN_MAP_1-00002"].name = "ZYN_MAP_1-00002"; // the service made it
    // The first creation is the configuration-file mutex; the third is exchange 2's.
    world().failCall(fake::Op::CreateMutex, 3);
    attach();
    EXPECT_EQ(world().calls(fake::Op::OpenMutex), 1);
    EXPECT_NE(entry(2).mutex.get(), nullptr);
    EXPECT_EQ(handles("ZYN_MAP_1-00002"), 1);
}

// A reload keeps the mutex of every page whose name stays: an unchanged file creates none, a
// changed one creates only the new names and closes those that are gone.
TEST_F(ConfigPageTable, ReloadKeepsTheMutexesWhoseNamesStay) {
    load("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n");
    const platform::Handle first = entry(1).mutex.get();
    const int created = world().calls(fake::Op::CreateMutex);
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(world().calls(fake::Op::CreateMutex), created) << "an unchanged file";
    EXPECT_EQ(entry(1).mutex.get(), first);

    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a b\n3 10 1 a b\n");
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(world().calls(fake::Op::CreateMutex), created + 1) << "only exchange 3's";
    EXPECT_EQ(entry(1).mutex.get(), first);
    EXPECT_EQ(handles("ZYN_MAP_1-00001"), 1);
    EXPECT_EQ(handles("ZYN_MAP_1-00002"), 0) << "the removed exchange's mutex is closed";
    EXPECT_EQ(handles("ZYN_MAP_1-00003"), 1);
}

TEST_F(ConfigPageTable, MutexesThatCanBeNeitherCreatedNorOpenedLeaveTheirPagesWithout) {
    world().failAllCalls(fake::Op::CreateMutex);
    world().failAllCalls(fake::Op::OpenMutex);
    load("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n3 10 1 a b\n");
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(state().exchangeCount, 3u);
    for (uint64_t page = 1; page <= 3; ++page)
        EXPECT_EQ(entry(page).mutex.get(), nullptr) << page;
}

TEST_F(ConfigPageTable, FailedMutexIsTriedOnceAndTheBuildGoesOnWithTheNextRecord) {
    installService(kServiceStopped);
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n3 10 1 a b\n");
    // The first creation is the configuration-file mutex; the third is exchange 2's.
    world().failCall(fake::Op::CreateMutex, 3);
    attach();
    EXPECT_EQ(state().loaded, 1);
    EXPECT_NE(entry(1).mutex.get(), nullptr);
    EXPECT_EQ(entry(2).mutex.get(), nullptr);
    EXPECT_NE(entry(3).mutex.get(), nullptr);
    EXPECT_EQ(handles("ZYN_MAP_1-00002"), 0);
    EXPECT_EQ(world().calls(fake::Op::CreateMutex), 4);
    EXPECT_EQ(world().calls(fake::Op::OpenMutex), 1);
}

// ---- packed layout

TEST_F(ConfigPageTable, PackedLayoutPacksPagesInTableOrderAfterTheStatusBytes) {
    load("MAX_STATIC_EXCHANGES = 512\nMAX_DYNAMIC_EXCHANGES = 256\nEXCH_MAP = 1\n[EXCHANGE_DEFS]\n"
         "7 100 1 a b\n3 8 1 c d\n500 1000 1 e f\n");
    ASSERT_TRUE(state().pageTable);
    EXPECT_EQ(state().pageTable.layout(), PageLayout::Packed);
    ASSERT_EQ(state().pageTable.count(), 3u);
    const int64_t pageOffsets[] = {768, 900, 940};
    for (uint64_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entry(i).pageOffset, pageOffsets[i]);
        EXPECT_EQ(entry(i).statusOffset, static_cast<int64_t>(i));
        EXPECT_NE(entry(i).mutex.get(), nullptr);
    }
    // Named by table position, whatever the exchange numbers.
    EXPECT_EQ(handles("ZYN_MAP_1-00000"), 1);
    EXPECT_EQ(handles("ZYN_MAP_1-00001"), 1);
    EXPECT_EQ(handles("ZYN_MAP_1-00002"), 1);
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00007"), nullptr);
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00003"), nullptr);
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00500"), nullptr);
}

TEST_F(ConfigPageTable, AnyNonZeroExchMapSelectsThePackedLayout) {
    for (const char* value : {"1", "2", "-1", "94"}) {
        SCOPED_TRACE(value);
        core::resetLibraryState();
        load(std::string("EXCH_MAP = ") + value +
             "\nMAX_STATIC_EXCHANGES = 10\nMAX_DYNAMIC_EXCHANGES = 5\n"
             "[EXCHANGE_DEFS]\n4 10 1 a b\n");
        EXPECT_EQ(state().pageTable.layout(), PageLayout::Packed);
        ASSERT_EQ(state().pageTable.count(), 1u);
        EXPECT_EQ(entry(0).pageOffset, 15);
        detach();
    }
}

TEST_F(ConfigPageTable, PackedLayoutWithAnEmptyTableHasNoEntries) {
    load("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n");
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(state().pageTable.count(), 0u);
    EXPECT_EQ(state().pageTable.find(0), nullptr);
}

TEST_F(ConfigPageTable, NameIndexIsSortedWithEqualProducersAdjacent) {
    load("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 10 1 zed x\n2 10 1 alpha x E=21\n3 10 1 mid x\n4 10 1 ALPHA x E=22\n"
         "5 10 1 \xC4x x\n6 10 1 alph x\n7 10 1 Mid x E=70\n");
    ASSERT_EQ(state().exchangeCount, 7u);
    // Compared as unsigned bytes: 0xC4 sorts after every ASCII letter.
    EXPECT_EQ(indexedProducers(), (std::vector<std::string>{"ALPH", "ALPHA", "ALPHA", "MID", "MID", "ZED", "\xC4X"}));
    expectIndexMatchesTable();
    std::set<int32_t> alphaIds = {state().nameIndex[1].exchangeId, state().nameIndex[2].exchangeId};
    EXPECT_EQ(alphaIds, (std::set<int32_t>{21, 22}));
}

TEST_F(ConfigPageTable, NameIndexHoldsOneEntryPerRecordAfterLoad) {
    load("MAX_STATIC_EXCHANGES = 4\nEXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 10 1 d x\n2 10 1 c x\n3 10 1 b x\n4 10 1 a x\n");
    EXPECT_EQ(state().nameIndex.count(), 4u);
    EXPECT_EQ(indexedProducers(), (std::vector<std::string>{"A", "B", "C", "D"}));
    expectIndexMatchesTable();
}

// ---- ReloadConfiguration

TEST_F(ConfigReload, PicksUpTheChangedFileAndItsLayout) {
    load("[EXCHANGE_DEFS]\n1 10 1 a b\n");
    ASSERT_EQ(state().exchangeCount, 1u);
    world().writeIni("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n9 10 1 a b\n8 10 1 c d\n7 10 1 e f\n");
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().loaded, 1);
    ASSERT_EQ(state().exchangeCount, 3u);
    EXPECT_EQ(state().exchangeTable.record(0)->exchangeNumber, 9);
    EXPECT_EQ(state().pageTable.layout(), PageLayout::Packed);
    EXPECT_EQ(state().params.exchMap, 1);
    for (const char* name : {"ZYN_MAP_1-00000", "ZYN_MAP_1-00001", "ZYN_MAP_1-00002"})
        EXPECT_EQ(handles(name), 1) << name;
}

TEST_F(ConfigReload, EmptyDefinitionsTextIsAnErrorOnlyWhenAskedTo) {
    const struct {
        const char* name;
        const char* content; // null: no file
        bool emptyIsError;
        int32_t result;
        int32_t loaded;
    } cases[] = {
        {"no file", nullptr, false, ZYN_OK, 1},
        {"no file", nullptr, true, ZYN_E_NO_DEFINITIONS, 0},
        {"marker only", "EXCH_MAP = 1\n[EXCHANGE_DEFS]\n", false, ZYN_OK, 1},
        {"marker only", "EXCH_MAP = 1\n[EXCHANGE_DEFS]\n", true, ZYN_E_NO_DEFINITIONS, 0},
        {"no marker", "MAX_EXCHANGE_SIZE = 10\n1 10 1 a b\n", true, ZYN_E_NO_DEFINITIONS, 0},
        {"lower-case marker", "[exchange_defs]\n1 10 1 a b\n", true, ZYN_E_NO_DEFINITIONS, 0},
        {"comments only", "[EXCHANGE_DEFS]\n# 1 10 1 a b\n\nx\n", true, ZYN_E_NO_DEFINITIONS, 0},
        // Counted lines make a text, even when none of them is accepted.
        {"only rejected lines", "[EXCHANGE_DEFS]\n0 10 1 a b\n", true, ZYN_OK, 1},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << row.name << (row.emptyIsError ? ", empty is an error" : ""));
        core::resetLibraryState();
        load("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n");
        ASSERT_EQ(state().exchangeCount, 2u);
        world().files.erase("zyn.ini");
        if (row.content != nullptr) world().writeIni(row.content);

        EXPECT_EQ(config::ReloadConfiguration(state(), row.emptyIsError), row.result);
        EXPECT_EQ(state().loaded, row.loaded);
        EXPECT_EQ(handles("ZYN_MAP_1-00001"), 0) << "the old records' mutexes are closed";
        if (row.result == ZYN_OK) {
            EXPECT_EQ(state().exchangeCount, 0u);
        } else {
            EXPECT_EQ(state().exchangeCount, 2u) << "a reload that stops early leaves the count alone";
            EXPECT_EQ(state().exchangeTable.record(0), nullptr);
        }
        detach();
    }
}

TEST_F(ConfigReload, FailedAllocationGivesMinus26AndLeavesNothingHalfBuilt) {
    const struct {
        const char* name;
        int nth; // which allocation of the reload fails
    } cases[] = {{"exchange table", 1}, {"definitions text", 2}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        core::resetLibraryState();
        load("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n");
        world().failCall(fake::Op::Allocate, row.nth);
        EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_E_FAILED);
        EXPECT_EQ(state().loaded, 0);
        EXPECT_EQ(state().exchangeCount, 2u);
        EXPECT_EQ(state().exchangeTable.record(0), nullptr);
        EXPECT_EQ(handles("ZYN_MAP_1-00001"), 0);
        if (row.nth == 1) {
            EXPECT_FALSE(state().exchangeTable);
        } else {
            EXPECT_FALSE(state().defsText);
        }

        // The next reload recovers.
        EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
        EXPECT_EQ(state().loaded, 1);
        EXPECT_EQ(state().exchangeCount, 2u);
        EXPECT_EQ(handles("ZYN_MAP_1-00001"), 1);
        detach();
    }
}

TEST_F(ConfigReload, LimitsThatCannotBeAllocatedGiveMinus26) {
    // From 3158064 on, the tables of a load could pass 1 GiB: refused before any allocation.
    const struct {
        int32_t maxStaticExchanges;
        int32_t result;
    } cases[] = {{3158064, ZYN_E_FAILED},
                 {0x3FFFFFFF, ZYN_E_FAILED},
                 {0x40000000, ZYN_E_FAILED},
                 {INT32_MAX, ZYN_E_FAILED},
                 {0, ZYN_OK},
                 {-5, ZYN_OK}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.maxStaticExchanges);
        core::resetLibraryState();
        load("[EXCHANGE_DEFS]\n1 10 1 a b\n");
        state().params.maxStaticExchanges = row.maxStaticExchanges;
        const int allocationsBefore = world().calls(fake::Op::Allocate);
        EXPECT_EQ(config::ReloadConfiguration(state(), false), row.result);
        if (row.result == ZYN_OK) {
            EXPECT_EQ(state().exchangeCount, 0u) << "no exchange number fits a limit below 1";
        } else {
            EXPECT_EQ(state().loaded, 0);
            EXPECT_EQ(world().calls(fake::Op::Allocate), allocationsBefore) << "nothing was allocated";
            const std::string file = world().readIni();
            EXPECT_EQ(ZYN_AddStaticExchange(test_support::exchangeDef(2, 10, 1, "A", "B", 1, 0, 2)), ZYN_E_FAILED);
            EXPECT_EQ(world().readIni(), file) << "an edit whose rebuild must fail touches nothing";
        }
        detach();
    }
}

TEST_F(ConfigReload, RecordWhoseAllocationFailsIsDropped) {
    load("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n3 10 1 a b\n");
    // The reload allocates the table, the text, then one block per record.
    world().failCall(fake::Op::Allocate, 3);
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    ASSERT_EQ(state().exchangeCount, 2u);
    EXPECT_EQ(state().exchangeTable.record(0)->exchangeNumber, 2);
    EXPECT_EQ(state().exchangeTable.record(1)->exchangeNumber, 3);
    EXPECT_EQ(handles("ZYN_MAP_1-00001"), 0);
}

TEST_F(ConfigReload, RaisedExchangeSizeAcceptsLargerDefinitionsAtOnce) {
    load("MAX_EXCHANGE_SIZE = 100\n[EXCHANGE_DEFS]\n1 500 1 a b\n2 100 1 a b\n");
    ASSERT_EQ(state().exchangeCount, 1u);
    state().params.maxExchangeSize = 1000;
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().exchangeCount, 2u);
    // The page table follows the header as it is in the file.
    EXPECT_EQ(state().params.maxExchangeSize, 100);
    EXPECT_EQ(entry(2).pageOffset, 200);
}

TEST_F(ConfigReload, RaisedStaticLimitGrowsTheNameIndex) {
    load("MAX_STATIC_EXCHANGES = 2\nEXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 10 1 d x\n2 10 1 c x\n3 10 1 b x\n4 10 1 a x\n");
    ASSERT_EQ(state().exchangeCount, 2u);
    ASSERT_EQ(state().nameIndex.count(), 2u);

    state().params.maxStaticExchanges = 4;
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    ASSERT_EQ(state().exchangeCount, 4u);
    EXPECT_EQ(state().exchangeTable.slotCount(), 5u);
    EXPECT_EQ(indexedProducers(), (std::vector<std::string>{"A", "B", "C", "D"}));
    expectIndexMatchesTable();
    EXPECT_EQ(state().params.maxStaticExchanges, 2) << "the header is read again";
    ASSERT_EQ(state().pageTable.count(), 4u);
    EXPECT_EQ(entry(0).pageOffset, 2 + 256);
    EXPECT_EQ(entry(3).pageOffset, 2 + 256 + 3 * 42);
    EXPECT_EQ(handles("ZYN_MAP_1-00003"), 1);
}

TEST_F(ConfigReload, RecordBeyondTheRebuiltFixedPageTableGetsNoMutex) {
    load("MAX_STATIC_EXCHANGES = 10\n[EXCHANGE_DEFS]\n3 10 1 a b\n8 10 1 c d\n");
    ASSERT_EQ(handles("ZYN_MAP_1-00008"), 1);
    // The header now allows 5 pages; the records are still checked against the 10 in force.
    world().writeIni("MAX_STATIC_EXCHANGES = 5\n[EXCHANGE_DEFS]\n3 10 1 a b\n8 10 1 c d\n");
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().exchangeCount, 2u);
    EXPECT_EQ(state().pageTable.count(), 6u);
    EXPECT_EQ(state().pageTable.find(8), nullptr);
    EXPECT_EQ(handles("ZYN_MAP_1-00003"), 1);
    EXPECT_EQ(handles("ZYN_MAP_1-00008"), 0);

    // The next reload uses the 5 read last: record 8 is no longer accepted.
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().exchangeCount, 1u);
}

TEST_F(ConfigReload, HeaderIsReadAfreshFromTheDefaults) {
    std::string header = "MAX_STATIC_EXCHANGES = 10\nEXCH_MAP = 1\n";
    for (int i = 1; i <= 34; ++i)
        header += "MULTICAST = 239.0.0." + std::to_string(i) + "\n";
    load(header + "[EXCHANGE_DEFS]\n1 10 1 a b\n");
    ASSERT_EQ(state().params.multicastCount, 32u);
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().params.multicastCount, 32u) << "the entries are counted again, not appended";
    EXPECT_STREQ(state().params.multicast[31], "239.0.0.32");

    world().writeIni("MULTICAST = 224.0.0.7\n[EXCHANGE_DEFS]\n1 10 1 a b\n");
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().params.maxStaticExchanges, 512);
    EXPECT_EQ(state().params.exchMap, 0);
    EXPECT_EQ(state().pageTable.layout(), PageLayout::Fixed);
    ASSERT_EQ(state().params.multicastCount, 1u);
    EXPECT_STREQ(state().params.multicast[0], "224.0.0.7");
}

TEST_F(ConfigReload, ReadsTheFileUnderItsMutexTwiceAndLetsGo) {
    load("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 10 1 a b\n");
    fake::MutexObject* lock = world().mutex("__ZYN_INIFILE");
    ASSERT_NE(lock, nullptr);
    int waitsBefore = lock->waits;
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    // Once for the definitions, once for the header in the page table's rebuild.
    EXPECT_EQ(lock->waits - waitsBefore, 2);
    EXPECT_EQ(lock->ownedByUs, 0);
    EXPECT_EQ(world().openFiles(), 0);
}

TEST_F(ConfigReload, RunsUnlockedWithoutTheFileMutex) {
    load("[EXCHANGE_DEFS]\n1 10 1 a b\n");
    state().iniMutex.reset();
    world().writeIni("MAX_EXCHANGE_SIZE = 20\n[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n");
    EXPECT_EQ(config::ReloadConfiguration(state(), false), ZYN_OK);
    EXPECT_EQ(state().exchangeCount, 2u);
    EXPECT_EQ(state().params.maxExchangeSize, 20);
}

TEST_F(ConfigReload, ReleaseClosesEveryMutexOnceAndKeepsTheCount) {
    load("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n");
    config::ReleaseExchangeTable(state());
    EXPECT_EQ(state().exchangeCount, 2u);
    EXPECT_FALSE(state().exchangeTable);
    EXPECT_EQ(handles("ZYN_MAP_1-00000"), 0);
    EXPECT_EQ(handles("ZYN_MAP_1-00001"), 0);
    config::ReleaseExchangeTable(state()); // nothing left: does nothing
    EXPECT_TRUE(world().errors.empty());
}

} // namespace
} // namespace zyn::testing
