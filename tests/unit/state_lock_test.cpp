// How calls share the library's state: the load runs once whichever threads call first, only
// the calls that replace state take the state lock alone, a data call that waits for a mutex
// held elsewhere holds up no other call, and a data call attaches to a service that started
// after the load. Each runs with both kinds of lock: the slim reader-writer lock, and the
// critical section of systems before Windows Vista, with which sharing calls take turns. (The
// fake platform reports every pause and status query made under the exclusive lock as misuse,
// which every test of the library checks at its end.)
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

// The parameter: whether the lock and the one-time start are the turn-taking fallback.
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

// A hung holder of one exchange's mutex holds up the read that waits for it and nothing else:
// an edit, a count and a read of another exchange go on meanwhile, and the waiting read then
// reads from the table as the edit left it.
TEST_P(StateLock, AReadWaitingForAHeldMutexHoldsUpNoOtherCall) {
    installService(kServiceRunning);
    world().writeIni("MAX_EXCHANGE_SIZE = 100\nMAX_STATIC_EXCHANGES = 4\n[EXCHANGE_DEFS]\n1 10 1 n g\n3 10 1 n g\n");
    world().createSection(config::kSectionName, kSection);
    world().sections[config::kSectionName].bytes[100 + 32] = 0x5A;
    attach();
    fake::MutexObject* held = world().mutex("ZYN_MAP_1-00001");
    const uint64_t start = world().now;
    held->heldByOther = true;
    held->otherReleasesAt = start + 4000;
    bool othersRan = false;
    world().at(start + 1000, [&] {
        // Calls of this thread would wait for a lock the waiting read held: they run only if it holds none.
        ASSERT_EQ(world().sharedHolds, 0) << "the waiting read holds the state lock";
        EXPECT_EQ(ZYN_AddStaticExchange(exchangeDef(2, 10, 1, "N", "G", 1, 0, 2)), ZYN_OK);
        EXPECT_EQ(ZYN_GetNumberOfExchangesFromConfigFile(), 3);
        ExchangeAccess other = request();
        std::strcpy(other.exchangeName, "exchange_3@N");
        uint8_t byte = 0;
        EXPECT_EQ(ZYN_GetExchange(&other, &byte), ZYN_OK);
        othersRan = true;
    });
    uint8_t byte = 0;
    EXPECT_EQ(readByte(byte), ZYN_OK);
    EXPECT_TRUE(othersRan);
    EXPECT_EQ(world().now, start + 4000) << "the read waited for the holder";
    EXPECT_EQ(byte, 0x5A);
    EXPECT_EQ(held->ownedByUs, 0);
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

// An attach on demand that fails leaves the library as it was: no view, the tables that the
// queries answer from, and the next data call tries again, through the handle held if any.
TEST_P(StateLock, AFailedAttachOnDemandChangesNothingAndIsTriedAgain) {
    const struct {
        const char* what;
        uint32_t serviceAtLoad;
        fake::Op fails;
    } rows[] = {
        {"no view at the load", kServiceRunning, fake::Op::MapView},
        {"no view at the attach", kServiceStopped, fake::Op::MapView},
        {"zyn.ini unreadable at the attach", kServiceStopped, fake::Op::FileOpen},
        {"no memory for the attach's tables", kServiceStopped, fake::Op::Allocate},
    };
    world().writeIni(kIni);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        detach();
        core::resetLibraryState();
        world().sections.clear();
        fake::FakeService& service = installService(row.serviceAtLoad);
        const bool atLoad = row.serviceAtLoad == kServiceRunning;
        if (atLoad) {
            world().createSection(config::kSectionName, kSection);
            world().failCall(row.fails, 1);
        }
        attach();
        uint8_t byte = 0;
        if (!atLoad) {
            service.state = kServiceRunning;
            world().createSection(config::kSectionName, kSection);
            world().failCall(row.fails, 1);
            EXPECT_EQ(readByte(byte), ZYN_E_NOT_FOUND);
            EXPECT_FALSE(state().mappingHandle);
            ExchangeDef found;
            ZYN_GetStaticExchangeParams("exchange_1@N", &found);
            EXPECT_EQ(found.exchangeNumber, 1) << "the table is still there";
            EXPECT_EQ(ZYN_GetNumberOfExchangesFromConfigFile(), 1);
        }
        EXPECT_EQ(state().view.address(), nullptr);
        const int opens = world().calls(fake::Op::OpenSection);
        EXPECT_EQ(readByte(byte), ZYN_OK) << "tried again";
        if (atLoad) {
            EXPECT_EQ(world().calls(fake::Op::OpenSection), opens) << "through the handle held";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SlimAndFallback, StateLock, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Fallback" : "Slim"; });

} // namespace
} // namespace zyn::testing
