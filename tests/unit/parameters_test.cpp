// Reading and setting the service parameters: the checks in their order with partial storing,
// the header rewrite, and the file's other lines kept.
#include "library_fixture.h"

#include <cstring>

#include "trvzyn32.h"

namespace zyn::testing {
namespace {

ServiceConfigParams parameters(std::initializer_list<const char*> addresses, uint32_t size, uint32_t statics,
                               uint32_t dynamics, int32_t exchMap) {
    ServiceConfigParams p;
    std::memset(&p, 0, sizeof p);
    int i = 0;
    for (const char* address : addresses)
        std::strncpy(p.multicast[i++], address, sizeof p.multicast[0]);
    p.maxExchangeSize = size;
    p.maxStaticExchanges = statics;
    p.maxDynamicExchanges = dynamics;
    p.exchMap = exchMap;
    return p;
}

class Parameters : public LibraryTest {
protected:
    void load(const std::string& ini) {
        installService(platform::kServiceStopped);
        if (!ini.empty()) world().writeIni(ini);
        attach();
    }
    ServiceConfigParams current() {
        ServiceConfigParams p;
        std::memset(&p, 0, sizeof p);
        EXPECT_EQ(ZYN_GetServiceConfigParams(&p), p.exchMap);
        return p;
    }
};

TEST_F(Parameters, AddressChecks) {
    struct Case {
        const char* address;
        bool accepted;
    };
    // Accepted is exactly what zyn.ini reads back as the same address.
    const Case cases[] = {
        {"224.0.7.32", true},  {"224.0.7.1", true},   {"224.0.7.10", true},   {"224.0.7.33", false},
        {"224.0.7.0", false},  {"224.0.8.1", false},  {"224.0.7.100", false}, {"224.0.7.", false},
        {"224.0.7.1x", false}, {"224.0.7.5a", false}, {"224.0.7.+5", false},  {"224.0.7.01", false},
        {"224.0.7. 5", false}, {"224.0.7.-1", false}, {"x224.0.7.1", false},
    };
    load("[EXCHANGE_DEFS]\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const std::string before = world().readIni();
        EXPECT_EQ(ZYN_SetServiceConfigParams(parameters({"224.0.7.2", c.address}, 100, 10, 5, 0)),
                  c.accepted ? ZYN_OK : ZYN_E_PARAMETER);
        if (!c.accepted) {
            EXPECT_EQ(world().readIni(), before);
        }
    }
    ServiceConfigParams unterminated = parameters({}, 100, 10, 5, 0);
    std::memset(unterminated.multicast[0], '1', sizeof unterminated.multicast[0]);
    EXPECT_EQ(ZYN_SetServiceConfigParams(unterminated), ZYN_E_PARAMETER);
}

// A call that fails changes nothing; MAX_STATIC_EXCHANGES goes up to what a load can have.
TEST_F(Parameters, AFailedCheckChangesNothing) {
    load("MULTICAST = 224.0.7.9\nMAX_DYNAMIC_EXCHANGES = 77\nEXCH_MAP = 1\n[EXCHANGE_DEFS]\n");
    EXPECT_EQ(ZYN_SetServiceConfigParams(parameters({"224.0.7.3"}, 1400, 512, 0, 0)), ZYN_E_PARAMETER);
    ServiceConfigParams p = current();
    EXPECT_EQ(p.maxExchangeSize, 1024u);
    EXPECT_EQ(p.maxStaticExchanges, 512u);
    EXPECT_EQ(p.maxDynamicExchanges, 77u);
    EXPECT_EQ(p.exchMap, 1);
    EXPECT_STREQ(p.multicast[0], "224.0.7.9") << "the list changes only with the file";

    struct Case {
        ServiceConfigParams p;
        int32_t result;
    };
    const Case cases[] = {
        {parameters({}, 1401, 10, 5, 0), -11},
        {parameters({}, 0, 10, 5, 0), -11},
        {parameters({}, 10, 0x40000000, 5, 0), -11},
        {parameters({}, 10, 3158064, 5, 0), -11},
        {parameters({}, 10, 3158063, 5, 0), 3},
        {parameters({}, 10, 0, 5, 0), -11},
        {parameters({}, 10, 10, 5, 2), -11},
        {parameters({}, 10, 10, 5, -1), -11},
        {parameters({}, 1, 1, 1, 1), 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZYN_SetServiceConfigParams(c.p), c.result);
}

TEST_F(Parameters, RewriteKeepsTheLinesAroundTheHeader) {
    load("; site notes\nmulticast = 224.0.7.9\n# tuned\n  MAX_EXCHANGE_SIZE = 100\n# among keys\nCONSUMEALL\n"
         "[EXCHANGE_DEFS]\n1 10 1 a g\n# after\n2 10 1 b g");
    EXPECT_EQ(ZYN_SetServiceConfigParams(parameters({"224.0.7.1", "224.0.7.2"}, 200, 20, 10, 1)), ZYN_OK);
    EXPECT_EQ(world().readIni(), "; site notes\nmulticast = 224.0.7.9\n# tuned\n"
                                 "\nMULTICAST = 224.0.7.1\nMULTICAST = 224.0.7.2\nMAX_EXCHANGE_SIZE = 200\n"
                                 "MAX_STATIC_EXCHANGES = 20\nMAX_DYNAMIC_EXCHANGES = 10\nEXCH_MAP = 1\n"
                                 "[EXCHANGE_DEFS]\n1 10 1 a g\n# after\n2 10 1 b g");
    EXPECT_EQ(world().files["__zyntmp.ini"], world().readIni())
        << "the scratch file keeps the new configuration";
    ServiceConfigParams p = current();
    EXPECT_STREQ(p.multicast[0], "224.0.7.1");
    EXPECT_STREQ(p.multicast[1], "224.0.7.2");
    EXPECT_EQ(p.multicast[2][0], '\0');
    EXPECT_EQ(p.exchMap, 1);
    EXPECT_EQ(state().exchangeCount, 2u) << "the table is not rebuilt";
}

TEST_F(Parameters, KeyLineRecognition) {
    struct Case {
        const char* firstLine;
        bool keyLine;
    };
    const Case cases[] = {
        {"MAP = 1", true},
        {"A = 5", true},
        {"\tEXCH_MAP = 0", true},
        {"# MAX = 1", false},
        {"multicast = 224.0.7.9", false},
        {"X_Y = 1", false},
        {"=:", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstLine);
        core::resetLibraryState();
        load(std::string(c.firstLine) + "\n[EXCHANGE_DEFS]\n");
        ASSERT_EQ(ZYN_SetServiceConfigParams(parameters({}, 10, 10, 10, 0)), ZYN_OK);
        const std::string kept = std::string(c.firstLine) + "\n";
        EXPECT_EQ(world().readIni().rfind(kept, 0) == 0, !c.keyLine) << world().readIni();
        detach();
    }
}

TEST_F(Parameters, NewFilesAndRepeatedCalls) {
    load("");
    ASSERT_EQ(ZYN_SetServiceConfigParams(parameters({}, 10, 10, 10, 0)), ZYN_OK);
    const std::string keys =
        "\nMAX_EXCHANGE_SIZE = 10\nMAX_STATIC_EXCHANGES = 10\nMAX_DYNAMIC_EXCHANGES = 10\nEXCH_MAP = 0\n";
    EXPECT_EQ(world().readIni(), keys + "[EXCHANGE_DEFS]\n");
    ASSERT_EQ(ZYN_SetServiceConfigParams(parameters({}, 10, 10, 10, 0)), ZYN_OK);
    EXPECT_EQ(world().readIni(), keys + "[EXCHANGE_DEFS]\n") << "one empty line before the keys, however many calls";
    EXPECT_EQ(current().multicast[0][0], '\0');

    world().writeIni("[EXCHANGE_DEFS]\n1\t10\t1\tA\tG\tE=1");
    ASSERT_EQ(ZYN_SetServiceConfigParams(parameters({"224.0.7.4"}, 10, 10, 10, 0)), ZYN_OK);
    EXPECT_EQ(world().readIni(), "\nMULTICAST = 224.0.7.4" + keys + "[EXCHANGE_DEFS]\n1\t10\t1\tA\tG\tE=1");

    world().writeIni("; no keys at all\n");
    ASSERT_EQ(ZYN_SetServiceConfigParams(parameters({}, 10, 10, 10, 0)), ZYN_OK);
    EXPECT_EQ(world().readIni(), "; no keys at all\n" + keys + "[EXCHANGE_DEFS]\n");

    world().writeIni("EXCH_MAP = 1\n1 10 1 a g\n");
    ASSERT_EQ(ZYN_SetServiceConfigParams(parameters({}, 10, 10, 10, 0)), ZYN_OK);
    EXPECT_EQ(world().readIni(), keys + "[EXCHANGE_DEFS]\n") << "without a marker everything from the first key goes";
}

TEST_F(Parameters, ReloadAfterRaisedLimitAcceptsLargerDefinitions) {
    load("MAX_EXCHANGE_SIZE = 100\n[EXCHANGE_DEFS]\n");
    ExchangeDef d;
    std::memset(&d, 0, sizeof d);
    d.exchangeNumber = 1;
    d.size = 1000;
    d.thirdNumber = 1;
    std::strcpy(d.producer, "A");
    std::strcpy(d.destination, "G");
    d.exchangeId = 1;
    EXPECT_EQ(ZYN_AddStaticExchange(d), ZYN_E_PARAMETER);
    ASSERT_EQ(ZYN_SetServiceConfigParams(parameters({}, 1400, 512, 256, 0)), ZYN_OK);
    EXPECT_EQ(ZYN_AddStaticExchange(d), ZYN_OK);
    EXPECT_EQ(state().exchangeCount, 1u);
    EXPECT_EQ(state().params.maxExchangeSize, 1400) << "the page table follows the header as written";
}

TEST_F(Parameters, FailuresLeaveTheFileAndReportMinus26) {
    const std::string before = "EXCH_MAP = 1\n[EXCHANGE_DEFS]\n1 10 1 a g\n";
    for (fake::Op op : {fake::Op::FileOpen, fake::Op::FileWrite, fake::Op::FileFlush, fake::Op::FileReplace}) {
        SCOPED_TRACE(static_cast<int>(op));
        core::resetLibraryState();
        load(before);
        world().failCall(op, 1);
        EXPECT_EQ(ZYN_SetServiceConfigParams(parameters({}, 10, 10, 10, 0)), ZYN_E_FAILED);
        EXPECT_EQ(world().readIni(), before);
        EXPECT_EQ(current().exchMap, 1) << "the values held are the file's still";
        detach();
    }
    core::resetLibraryState();
    load(before);
    world().failCall(fake::Op::ExpandWindir, 1);
    EXPECT_EQ(ZYN_SetServiceConfigParams(parameters({}, 10, 10, 10, 0)), ZYN_E_NOT_FOUND);
    EXPECT_EQ(world().readIni(), before);
    EXPECT_EQ(current().maxExchangeSize, 1024u);
}

TEST_F(Parameters, NullRecordIsNotWritten) {
    load("EXCH_MAP = 1\n[EXCHANGE_DEFS]\n");
    EXPECT_EQ(ZYN_GetServiceConfigParams(nullptr), 1);
}

} // namespace
} // namespace zyn::testing
