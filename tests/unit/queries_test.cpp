// The read-only questions over the loaded table: the exchange name grammar, the lookup modes of
// EXCH_MAP, and the whole-table copy.
#include "library_fixture.h"

#include <cstring>

#include "config/queries.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

constexpr char kDefinitions[] = "[EXCHANGE_DEFS]\n"
                                "1 100 1 node1 g E=5\n"
                                "2 100 1 node2 g E=5\n"
                                "3 100 1 node12 g\n"
                                "4 100 1 x g E=0\n"
                                "5 100 1 n g E=-4\n"
                                "6 10 1 n g E=1\n"
                                "7 10 1 n g\n";

class Queries : public LibraryTest {
protected:
    void load(int exchMap) {
        installService(platform::kServiceStopped);
        world().writeIni("EXCH_MAP = " + std::to_string(exchMap) + "\n" + kDefinitions);
        attach();
        ASSERT_EQ(state().exchangeCount, 7u);
    }
    int32_t found(const char* name) {
        ExchangeDef record;
        std::memset(&record, 0xAB, sizeof record);
        ZYN_GetStaticExchangeParams(name, &record);
        return record.exchangeNumber;
    }
};

TEST_F(Queries, NameGrammarAndLookupModes) {
    struct Case {
        int exchMap;
        const char* name;
        int32_t exchangeNumber; // 0: a zero record
    };
    const Case cases[] = {
        {0, "exchange_5@ANYTHING", 1},
        {0, "exchange_5@", 1},
        {0, "x_5@NODE1", 1},
        {0, "_5@NODE2", 1},
        {0, "exchange5@NODE1", 0},
        {0, "exchange_5", 0},
        {0, "exchange_ 7@N", 7},
        {0, "exchange_abc@N", 4},
        {0, "exchange_1_2@N", 6},
        {0, "exchange_-4@whatever", 5},
        {0, "exchange_99@NODE1", 0},
        {0, "exchange_5@NODE1@X", 1},
        {1, "exchange_5@node1", 1},
        {1, "exchange_5@NODE2", 2},
        {1, "exchange_5@NODE3", 0},
        {1, "exchange_5@", 0},
        {1, "exchange_5@NODE1@X", 0},
        {1, "exchange_3@NODE1", 0},
        {1, "exchange_3@nOdE12", 3},
        {1, "pre_fix_3@NODE12", 0},
        {2, "exchange_5@NODE2", 1},
        {-1, "exchange_5@NODE2", 1},
        // Over-long pieces designate nothing: 10 id characters, 32 producer characters.
        {0, "exchange_0000000005@NODE1", 0},
        {0, "exchange_000000005@NODE1", 1},
        {1, "exchange_3@NODE12XXXXXXXXXXXXXXXXXXXXXXXXXX", 0},
    };
    for (int exchMap : {0, 1, 2, -1}) {
        core::resetLibraryState();
        load(exchMap);
        for (const Case& c : cases) {
            if (c.exchMap != exchMap) continue;
            SCOPED_TRACE(std::string(c.name) + " with EXCH_MAP " + std::to_string(exchMap));
            EXPECT_EQ(found(c.name), c.exchangeNumber);
        }
        detach();
    }
}

TEST_F(Queries, FoundRecordIsCopiedWhole) {
    load(1);
    ExchangeDef record;
    ZYN_GetStaticExchangeParams("exchange_5@NODE2", &record);
    EXPECT_EQ(std::memcmp(&record, state().exchangeTable.record(1), sizeof record), 0);
    EXPECT_STREQ(record.producer, "NODE2");
}

TEST_F(Queries, NothingIsFoundWhileNotLoaded) {
    load(0);
    state().loaded = 0;
    EXPECT_EQ(found("exchange_5@NODE1"), 0);
    ExchangeDef records[7];
    EXPECT_EQ(ZYN_GetAllExchangesFromConfigFile(records), 0);
    EXPECT_EQ(ZYN_GetNumberOfExchangesFromConfigFile(), 7) << "the count does not look at the loaded flag";
}

TEST_F(Queries, WholeTableIsCopiedInOrder) {
    load(0);
    ExchangeDef records[8];
    std::memset(records, 0xEE, sizeof records);
    EXPECT_EQ(ZYN_GetAllExchangesFromConfigFile(records), 3);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(records[i].exchangeNumber, i + 1);
    const auto* after = reinterpret_cast<const unsigned char*>(&records[7]);
    EXPECT_EQ(after[0], 0xEE) << "nothing is written past count x 92 bytes";
    EXPECT_EQ(ZYN_GetAllExchangesFromConfigFile(nullptr), 0);
}

TEST_F(Queries, EmptyLoadedTableCopiesNothingAndSucceeds) {
    installService(platform::kServiceStopped);
    world().writeIni("[EXCHANGE_DEFS]\n");
    attach();
    ExchangeDef record;
    std::memset(&record, 0xEE, sizeof record);
    EXPECT_EQ(ZYN_GetAllExchangesFromConfigFile(&record), 3);
    EXPECT_EQ(record.exchangeNumber, static_cast<int32_t>(0xEEEEEEEE));
    EXPECT_EQ(ZYN_GetNumberOfExchangesFromConfigFile(), 0);
}

TEST_F(Queries, NullArgumentsNeverCrash) {
    load(0);
    ZYN_GetStaticExchangeParams("exchange_5@NODE1", nullptr);
    ZYN_GetStaticExchangeParams(nullptr, nullptr);
    EXPECT_EQ(found(nullptr), 0);
}

TEST_F(Queries, PerDirectionQueriesDoNothing) {
    EXPECT_EQ(ZYN_GetLocallyConsumedExchangesFromConfigFile(7), 0);
    EXPECT_EQ(ZYN_GetLocallyProducedExchangesFromConfigFile(-1), 0);
    EXPECT_EQ(ZYN_GetRemotelyProducedExchangesFromConfigFile(1, 2), 0);
    EXPECT_EQ(ZYN_GetRemotelyConsumedExchangesFromConfigFile(0, 0), 0);
}

} // namespace
} // namespace zyn::testing
