// Adding, deleting and changing static exchanges: the exact bytes written, the checks, the
// duplicate tests against the table and the file, and that a failure never changes zyn.ini.
#include "exchange_def_builder.h"
#include "fault_sweep.h"

#include <cstring>
#include <set>

#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using test_support::exchangeDef;

class Editing : public LibraryTest {
protected:
    void load(const std::string& ini) {
        installService(platform::kServiceStopped);
        if (!ini.empty()) world().writeIni(ini);
        attach();
    }
    std::string scratch() {
        auto found = world().files.find("__zyntmp.ini");
        return found == world().files.end() ? "<none>" : found->second;
    }
    int32_t remove(const char* name) {
        std::string text = name;
        return ZYN_DeleteStaticExchange(text.data());
    }
};

TEST_F(Editing, FirstAdditionCreatesTheFile) {
    load("");
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(5, 100, 200, "NODE1", "GROUP", 7, 5500, 12)), ZYN_OK);
    EXPECT_EQ(world().readIni(), "[EXCHANGE_DEFS]\n5\t100\t200\tNODE1\tGROUP\tT,M,S,P=5500,E=12");
    EXPECT_EQ(scratch(), "") << "the scratch file is left empty";
    EXPECT_EQ(state().exchangeCount, 1u);
    EXPECT_EQ(state().params.maxStaticExchanges, 512);
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(6, 100, 200, "node2", "group", 0, 0, -4)), ZYN_OK);
    EXPECT_EQ(world().readIni(),
              "[EXCHANGE_DEFS]\n5\t100\t200\tNODE1\tGROUP\tT,M,S,P=5500,E=12\n6\t100\t200\tnode2\tgroup\tE=-4");
    ExchangeDef back;
    ZYN_GetStaticExchangeParams("exchange_-4@NODE2", &back);
    EXPECT_EQ(back.exchangeNumber, 6);
    EXPECT_EQ(back.flags, 1u) << "every loaded definition has its mutex bit";
}

TEST_F(Editing, AdditionChecksInOrderAndTouchesNothingWhenRefused) {
    const std::string ini = "MAX_EXCHANGE_SIZE = 100\nMAX_STATIC_EXCHANGES = 10\n[EXCHANGE_DEFS]\n";
    struct Case {
        ExchangeDef d;
        int32_t result;
    };
    const Case cases[] = {
        {exchangeDef(0, 1, 1, "A", "B", 1, 0, 1), -11},
        {exchangeDef(11, 1, 1, "A", "B", 1, 0, 2), -11},
        {exchangeDef(1, 1, 1, "A", "B", 1, 0, 3), 3},
        {exchangeDef(10, 1, 1, "A", "B", 1, 0, 4), 3},
        {exchangeDef(2, 0, 1, "A", "B", 1, 0, 5), -11},
        {exchangeDef(2, 101, 1, "A", "B", 1, 0, 6), -11},
        {exchangeDef(2, 100, 1, "A", "B", 1, 0, 7), 3},
        {exchangeDef(3, 1, 0, "A", "B", 1, 0, 8), -11},
        {exchangeDef(3, 1, -1, "A", "B", 1, 0, 9), -11},
        {exchangeDef(3, 1, 0x40000000, "A", "B", 1, 0, 10), -11},
        {exchangeDef(3, 1, 0x3FFFFFFF, "A", "B", 1, 0, 11), 3},
        {exchangeDef(4, 1, 1, "A", "B", 1, 5499, 12), -11},
        {exchangeDef(4, 1, 1, "A", "B", 1, 5533, 13), -11},
        {exchangeDef(4, 1, 1, "A", "B", 1, 5500, 14), 3},
        {exchangeDef(4, 1, 1, "A", "B", 1, 5532, 15), 3},
        {exchangeDef(5, 1, 1, "", "B", 1, 0, 16), -11},
        {exchangeDef(5, 1, 1, "A", "", 1, 0, 17), -11},
        {exchangeDef(5, 1, 1, "A B", "B", 1, 0, 18), -11},
        {exchangeDef(5, 1, 1, "A", "B\tC", 1, 0, 19), -11},
        {exchangeDef(5, 1, 1, "A,B", "B", 1, 0, 20), -11},
        {exchangeDef(5, 1, 1, "A", "B\n7", 1, 0, 21), -11},
        {exchangeDef(5, 1, 1, "A", "B\r", 1, 0, 22), -11},
    };
    load(ini);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d.exchangeId);
        const std::string before = world().readIni();
        EXPECT_EQ(ZYN_AddStaticExchange(c.d), c.result);
        if (c.result != ZYN_OK) {
            EXPECT_EQ(world().readIni(), before);
        }
    }
    ExchangeDef overlong = exchangeDef(5, 1, 1, "A", "B", 1, 0, 23);
    std::memset(overlong.producer, 'P', sizeof overlong.producer); // 32 characters, no terminator
    EXPECT_EQ(ZYN_AddStaticExchange(overlong), ZYN_E_PARAMETER);
    EXPECT_EQ(state().exchangeCount, 6u);
}

TEST_F(Editing, DuplicatesAreRefusedFromTheTableAndFromTheFile) {
    load("[EXCHANGE_DEFS]\n1 10 1 node1 g\n");
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(2, 10, 1, "NODE2", "G", 1, 0, 7)), ZYN_OK);
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(3, 10, 1, "NODE2", "G", 1, 0, 7)), ZYN_E_DUPLICATE);
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(3, 10, 1, "NODE9", "G", 1, 0, 1)), ZYN_E_DUPLICATE)
        << "with EXCH_MAP 0 the id alone names the exchange";
    // Another process added exchange 8 after this one loaded the file.
    const std::string before = world().readIni() + "\n4\t10\t1\tOTHER\tG\tE=8";
    world().writeIni(before);
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(5, 10, 1, "OTHER", "G", 1, 0, 8)), ZYN_E_DUPLICATE);
    EXPECT_EQ(world().readIni(), before);
}

TEST_F(Editing, PackedLookupLetsTwoProducersShareAnId) {
    load("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 10 1 node1 g E=5\n");
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(2, 10, 1, "node2", "g", 1, 0, 5)), ZYN_OK);
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(3, 10, 1, "Node2", "g", 1, 0, 5)), ZYN_E_DUPLICATE);
    EXPECT_EQ(state().exchangeCount, 2u);
}

TEST_F(Editing, AdditionKeepsWhatOtherProcessesWrote) {
    load("[EXCHANGE_DEFS]\n1 10 1 a g");
    world().writeIni("# ops\n[EXCHANGE_DEFS]\n1 10 1 a g\n# added elsewhere\n2 10 1 b g");
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(3, 10, 1, "C", "G", 0, 0, 3)), ZYN_OK);
    EXPECT_EQ(world().readIni(),
              "# ops\n[EXCHANGE_DEFS]\n1 10 1 a g\n# added elsewhere\n2 10 1 b g\n3\t10\t1\tC\tG\tE=3");
    EXPECT_EQ(state().exchangeCount, 3u);
}

TEST_F(Editing, AdditionToAFileWithoutMarkerAddsTheMarker) {
    load("EXCH_MAP = 1");
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(3, 10, 1, "C", "G", 1, 0, 3)), ZYN_OK);
    EXPECT_EQ(world().readIni(), "EXCH_MAP = 1\n[EXCHANGE_DEFS]\n3\t10\t1\tC\tG\tM,E=3");
    EXPECT_EQ(state().exchangeCount, 1u);
}

TEST_F(Editing, DeletionRemovesExactlyTheDesignatedLine) {
    struct Case {
        const char* what;
        const char* file;
        const char* name;
        int32_t result;
        const char* after; // nullptr: unchanged
    };
    const Case cases[] = {
        {"middle line", "H\n[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g E=12\n3 10 1 c g", "exchange_12@b", 3,
         "H\n[EXCHANGE_DEFS]\n1 10 1 a g\n3 10 1 c g"},
        {"first line leaves its line end", "[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g", "exchange_1@A", 3,
         "[EXCHANGE_DEFS]\n\n2 10 1 b g"},
        {"last line takes the line end before it", "[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g", "exchange_2@B", 3,
         "[EXCHANGE_DEFS]\n1 10 1 a g"},
        {"only line", "H\n[EXCHANGE_DEFS]\n1 10 1 a g\n", "exchange_1@A", 3, "H\n[EXCHANGE_DEFS]\n\n"},
        {"comments and blank lines stay", "[EXCHANGE_DEFS]\n# c\n1 10 1 a g\n\n2 10 1 b g\n# d\n", "exchange_2@B", 3,
         "[EXCHANGE_DEFS]\n# c\n1 10 1 a g\n\n# d\n"},
        {"producer inside another producer", "[EXCHANGE_DEFS]\n1 10 1 node12 g E=5\n2 10 1 node1 g E=5\n",
         "exchange_5@NODE1", 3, "[EXCHANGE_DEFS]\n1 10 1 node12 g E=5\n"},
        {"lines sharing a number", "EXCH_MAP = 1\n[EXCHANGE_DEFS]\n4 10 1 x g E=1\n4 10 1 y g E=2\n", "exchange_2@Y", 3,
         "EXCH_MAP = 1\n[EXCHANGE_DEFS]\n4 10 1 x g E=1\n"},
        {"no @", "[EXCHANGE_DEFS]\n1 10 1 a g\n", "exchange_1", -18, nullptr},
        {"no _", "[EXCHANGE_DEFS]\n1 10 1 a g\n", "exchange1@A", -18, nullptr},
        {"other producer", "[EXCHANGE_DEFS]\n1 10 1 a g\n", "exchange_1@B", -18, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core::resetLibraryState();
        load(c.file);
        EXPECT_EQ(remove(c.name), c.result);
        EXPECT_EQ(world().readIni(), c.after != nullptr ? c.after : c.file);
        detach();
    }
}

TEST_F(Editing, DeletionWorksOnTheFileAsItStands) {
    load("[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g");
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g\n3 10 1 elsewhere g");
    EXPECT_EQ(remove("exchange_1@a"), ZYN_OK);
    EXPECT_EQ(world().readIni(), "[EXCHANGE_DEFS]\n\n2 10 1 b g\n3 10 1 elsewhere g");
    EXPECT_EQ(state().exchangeCount, 2u) << "the reload sees the other process's line";
    // Another process deleted exchange 2 meanwhile: nothing to delete, nothing written.
    world().writeIni("[EXCHANGE_DEFS]\n3 10 1 elsewhere g");
    EXPECT_EQ(remove("exchange_2@B"), ZYN_E_NOT_FOUND);
    EXPECT_EQ(world().readIni(), "[EXCHANGE_DEFS]\n3 10 1 elsewhere g");
}

TEST_F(Editing, DeletionUpperCasesTheCallersNameAndNeedsALoadedTable) {
    load("[EXCHANGE_DEFS]\n12 10 1 node1 g\n");
    char name[] = "exchange_12@node1";
    EXPECT_EQ(ZYN_DeleteStaticExchange(name), ZYN_OK);
    EXPECT_STREQ(name, "EXCHANGE_12@NODE1");
    state().loaded = 0;
    char again[] = "exchange_12@node1";
    EXPECT_EQ(ZYN_DeleteStaticExchange(again), ZYN_E_NOT_FOUND);
    EXPECT_STREQ(again, "EXCHANGE_12@NODE1");
    EXPECT_EQ(ZYN_DeleteStaticExchange(nullptr), ZYN_E_NOT_FOUND);
}

TEST_F(Editing, ChangeMovesTheLineToTheEnd) {
    load("[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g\n3 10 1 c g");
    EXPECT_EQ(ZYN_ChangeStaticExchangeParams(exchangeDef(2, 20, 9, "b", "h", 2, 0, 2)), ZYN_OK);
    EXPECT_EQ(world().readIni(), "[EXCHANGE_DEFS]\n1 10 1 a g\n3 10 1 c g\n2\t20\t9\tb\th\tT,E=2");
    ExchangeDef back;
    ZYN_GetStaticExchangeParams("exchange_2@B", &back);
    EXPECT_EQ(back.size, 20u);
    EXPECT_EQ(back.flags, 3u);
}

TEST_F(Editing, RefusedChangeLeavesEverythingAsItWas) {
    const std::string file = "[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g E=7\n";
    load(file);
    EXPECT_EQ(ZYN_ChangeStaticExchangeParams(exchangeDef(3, 10, 1, "z", "g", 1, 0, 3)), ZYN_E_NOT_FOUND);
    EXPECT_EQ(ZYN_ChangeStaticExchangeParams(exchangeDef(1, 0, 1, "a", "g", 1, 0, 1)), ZYN_E_PARAMETER);
    EXPECT_EQ(ZYN_ChangeStaticExchangeParams(exchangeDef(1, 10, 1, "a", "g", 1, 5499, 1)), ZYN_E_PARAMETER);
    EXPECT_EQ(world().readIni(), file);
    EXPECT_EQ(state().exchangeCount, 2u);
    // Two exchanges with id 7 under EXCH_MAP 0: replacing one still leaves the other answering.
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a g E=7\n2 10 1 b g E=7\n");
    detach();
    core::resetLibraryState();
    attach();
    EXPECT_EQ(ZYN_ChangeStaticExchangeParams(exchangeDef(1, 20, 1, "a", "g", 1, 0, 7)), ZYN_E_DUPLICATE);
    EXPECT_EQ(world().readIni(), "[EXCHANGE_DEFS]\n1 10 1 a g E=7\n2 10 1 b g E=7\n");
}

TEST_F(Editing, PathNotAvailableGivesNotFound) {
    load("[EXCHANGE_DEFS]\n1 10 1 a g\n");
    state().configPathValid = 0;
    EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(2, 10, 1, "B", "G", 1, 0, 2)), ZYN_E_NOT_FOUND);
    EXPECT_EQ(remove("exchange_1@A"), ZYN_E_NOT_FOUND);
    state().configPathValid = 1;
    world().failCall(fake::Op::ExpandWindir, 1);
    EXPECT_EQ(remove("exchange_1@A"), ZYN_E_NOT_FOUND);
    EXPECT_EQ(state().configPathValid, 0) << "a failed expansion clears the path flag";
    EXPECT_EQ(world().readIni(), "[EXCHANGE_DEFS]\n1 10 1 a g\n");
}

// Every file operation of a rewrite made to fail in turn: zyn.ini holds its old or its new
// content, never anything else, and it holds the old one exactly when -26 is reported for the
// rewrite itself.
TEST_F(Editing, FailuresNeverChangeOrTearTheFile) {
    const std::string before = "# head\n[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g";
    const std::string added = before + "\n3\t10\t1\tC\tG\tM,E=3";
    const std::string deleted = "# head\n[EXCHANGE_DEFS]\n1 10 1 a g";
    struct Edit {
        const char* what;
        std::function<int32_t()> run;
        std::set<int32_t> results;
        std::string after;
    };
    const Edit edits[] = {
        {"add",
         [] { return ZYN_AddStaticExchange(exchangeDef(3, 10, 1, "C", "G", 1, 0, 3)); },
         {ZYN_OK, ZYN_E_PARAMETER, ZYN_E_NOT_FOUND, ZYN_E_DUPLICATE, ZYN_E_FAILED},
         added},
        {"delete", [this] { return remove("exchange_2@B"); }, {ZYN_OK, ZYN_E_NOT_FOUND, ZYN_E_FAILED}, deleted},
    };
    int failures = 0;
    for (const Edit& edit : edits) {
        runFaultSweep({edit.what,
                       [&](fake::FakeWorld& w) {
                           w.writeIni(before);
                           w.installService(core::kServiceName, platform::kServiceStopped);
                           core::startOnce(state());
                       },
                       [&](fake::FakeWorld& w) {
                           const int32_t result = edit.run();
                           const std::string now = w.readIni();
                           EXPECT_TRUE(now == before || now == edit.after) << now;
                           if (now == before) {
                               EXPECT_EQ(result, ZYN_E_FAILED);
                               ++failures;
                           }
                           return result;
                       },
                       edit.results,
                       {fake::Op::FileOpen, fake::Op::FileWrite, fake::Op::FileFlush, fake::Op::FileClose,
                        fake::Op::FileReplace}});
    }
    EXPECT_GT(failures, 8) << "the failures reached the rewrite";
}

} // namespace
} // namespace zyn::testing
