// How calls share the library's state: the load runs once whichever threads call first, only
// the calls that replace state take the state lock alone, and a data call attaches to a service
// that started after the load. Each runs on the slim lock and on the fallback, with which sharing
// calls take turns. (The fake platform reports every pause and status query made under the
// exclusive lock as misuse, which every test of the library checks at its end.)
#include "library_fixture.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "config/page_layout.h"
#include "exchange_def_builder.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::kServiceRunning;
using platform::kServiceStopped;
using test_support::exchangeDef;

constexpr char kIni[] = "MAX_EXCHANGE_SIZE = 100\nMAX_STATIC_EXCHANGES = 4\n[EXCHANGE_DEFS]\n1 10 1 n g\n";
constexpr size_t kSection = 5 * 100 + 32;

class StateLock : public LibraryTest, public ::testing::WithParamInterface<bool> {
protected:
    StateLock() {
        world().fallbackThreadSync = GetParam();
        core::resetLibraryState();
    }
    int32_t readByte(uint8_t& byte) {
        ExchangeAccess access = request();
        return ZYN_GetExchange(&access, &byte);
    }
    ExchangeAccess request() {
        ExchangeAccess access;
        std::memset(&access, 0, sizeof access);
        std::strcpy(access.exchangeName, "exchange_1@N");
        access.lengthPtr = &count_;
        return access;
    }
    uint32_t count_ = 1;
};

TEST_P(StateLock, LoadRunsOnceHoweverManyThreadsCallFirst) {
    installService(kServiceStopped);
    world().writeIni(kIni);
    std::atomic<bool> go{false};
    std::vector<std::thread> callers;
    std::atomic<int> answers{0};
    for (int i = 0; i < 8; ++i) {
        callers.emplace_back([&] {
            while (!go.load())
                std::this_thread::yield();
            answers += ZYN_Init() == 0 ? 1 : 0;
        });
    }
    go = true;
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(answers.load(), 8);
    EXPECT_EQ(world().calls(fake::Op::ExpandWindir), 1) << "the load ran more than once";
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(state().exchangeCount, 1u);
}

TEST_P(StateLock, RegistrySettingsAndStubsDoNotLoad) {
    EXPECT_EQ(ZYN_GetMaxExchangeSize(), 1024);
    EXPECT_EQ(ZYN_ThirdPartyAppsAllowed(), 1);
    EXPECT_EQ(ZYN_GetServiceVersion(0), 0);
    EXPECT_EQ(world().calls(fake::Op::ExpandWindir), 0);
}

TEST_P(StateLock, OnlyTheCallsThatReplaceStateHoldTheLockAlone) {
    fake::FakeService& service = installService(kServiceRunning);
    world().writeIni(kIni);
    world().createSection(config::kSectionName, kSection);
    attach();
    uint8_t byte = 0;
    ServiceConfigParams params{};
    ExchangeDef table[4];
    char name[] = "exchange_2@N";
    struct Row {
        const char* what;
        std::function<void()> call;
        bool replaces;
    };
    const Row rows[] = {
        {"ZYN_GetExchange", [&] { EXPECT_EQ(readByte(byte), ZYN_OK); }, false},
        {"ZYN_PutExchange",
         [&] {
             ExchangeAccess access = request();
             EXPECT_EQ(ZYN_PutExchange(&access, &byte), ZYN_OK);
         },
         false},
        {"ZYN_GetExchangePtr",
         [&] {
             ExchangeAccess access = request();
             EXPECT_NE(ZYN_GetExchangePtr(&access), nullptr);
         },
         false},
        {"ZYN_GetAllExchangesFromConfigFile", [&] { EXPECT_EQ(ZYN_GetAllExchangesFromConfigFile(table), ZYN_OK); },
         false},
        {"ZYN_GetServiceConfigParams", [&] { ZYN_GetServiceConfigParams(&params); }, false},
        {"ZYN_IsServiceRunning", [&] { EXPECT_EQ(ZYN_IsServiceRunning(), 1); }, false},
        {"ZYN_AddStaticExchange",
         [&] { EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(2, 10, 1, "N", "G", 1, 0, 2)), ZYN_OK); }, true},
        {"ZYN_ChangeStaticExchangeParams",
         [&] { EXPECT_EQ(ZYN_ChangeStaticExchangeParams(exchangeDef(2, 20, 1, "N", "G", 1, 0, 2)), ZYN_OK); }, true},
        {"ZYN_DeleteStaticExchange", [&] { EXPECT_EQ(ZYN_DeleteStaticExchange(name), ZYN_OK); }, true},
        {"ZYN_SetServiceConfigParams", [&] { EXPECT_EQ(ZYN_SetServiceConfigParams(params), ZYN_OK); }, true},
        {"ZYN_StartService", [&] { EXPECT_EQ(ZYN_StartService(), ZYN_OK); }, true},
        {"ZYN_StopService, accepted", [&] { EXPECT_EQ(ZYN_StopService(), ZYN_OK); }, false},
        {"ZYN_StopService, not running", [&] { EXPECT_EQ(ZYN_StopService(), ZYN_OK); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const int before = world().exclusiveLocks;
        row.call();
        EXPECT_EQ(world().exclusiveLocks > before, row.replaces);
    }
    EXPECT_EQ(service.state, kServiceStopped);
}

TEST_P(StateLock, DataCallAttachesToAServiceStartedAfterTheLoadWithoutPausing) {
    fake::FakeService& service = installService(kServiceStopped);
    world().writeIni(kIni);
    attach();
    uint8_t byte = 0;
    EXPECT_EQ(readByte(byte), ZYN_E_NOT_RUNNING);

    service.state = kServiceRunning;
    int opens = world().calls(fake::Op::OpenSection);
    EXPECT_EQ(readByte(byte), ZYN_E_NOT_FOUND) << "no section yet";
    EXPECT_EQ(world().calls(fake::Op::OpenSection), opens + 2) << "one attempt, on both names";

    world().createSection(config::kSectionName, kSection);
    world().sections[config::kSectionName].bytes[100 + 32] = 0x5A;
    EXPECT_EQ(readByte(byte), ZYN_OK);
    EXPECT_EQ(byte, 0x5A);
    ExchangeAccess access = request();
    void* page = ZYN_GetExchangePtr(&access);
    EXPECT_NE(page, nullptr);
    EXPECT_TRUE(world().sleeps.empty());

    opens = world().calls(fake::Op::OpenSection);
    const int exclusive = world().exclusiveLocks;
    EXPECT_EQ(readByte(byte), ZYN_OK);
    EXPECT_EQ(world().calls(fake::Op::OpenSection), opens) << "attached once";
    EXPECT_EQ(world().exclusiveLocks, exclusive);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), page) << "the view stays where it was mapped";
}

// A failed attach leaves no view and the old tables; the next data call tries again.
TEST_P(StateLock, AFailedAttachIsTriedAgainAndChangesNothingMeanwhile) {
    // The view fails at the load, which keeps the handle; zyn.ini, at an attach on demand.
    for (const fake::Op fails : {fake::Op::MapView, fake::Op::FileOpen}) {
        const bool atLoad = fails == fake::Op::MapView;
        detach();
        core::resetLibraryState();
        world().writeIni(kIni);
        world().createSection(config::kSectionName, kSection);
        fake::FakeService& service = installService(atLoad ? kServiceRunning : kServiceStopped);
        if (atLoad) world().failCall(fails, 1);
        attach();
        uint8_t byte = 0;
        if (!atLoad) {
            service.state = kServiceRunning;
            world().failCall(fails, 1);
            EXPECT_EQ(readByte(byte), ZYN_E_NOT_FOUND);
            EXPECT_EQ(state().exchangeTable.record(0)->exchangeNumber, 1) << "the table is still there";
        }
        EXPECT_EQ(state().view.address(), nullptr);
        const int opens = world().calls(fake::Op::OpenSection);
        EXPECT_EQ(readByte(byte), ZYN_OK) << "tried again";
        EXPECT_EQ(world().calls(fake::Op::OpenSection) - opens, atLoad ? 0 : 1) << "through the handle held";
    }
}

INSTANTIATE_TEST_SUITE_P(SlimAndFallback, StateLock, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Fallback" : "Slim"; });

} // namespace
} // namespace zyn::testing
