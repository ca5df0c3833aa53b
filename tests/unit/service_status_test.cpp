// The presence and running tests: what each status answer leads to, the polls of pending
// states in virtual time, and the bounded retry of failed status queries.
#include "library_fixture.h"

#include <array>
#include <cstdio>

#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using namespace platform;

class ServiceStatusTests : public LibraryTest {};

TEST_F(ServiceStatusTests, PresenceFollowsTheServiceEntry) {
    EXPECT_EQ(ZYN_IsServicePresent(), 0);
    EXPECT_EQ(state().servicePresent, 0);
    installService(kServiceStopped);
    EXPECT_EQ(ZYN_IsServicePresent(), 1);
    EXPECT_EQ(state().servicePresent, 1);
    // A manager that cannot be had, from the first test of a fresh load on (which the load's own
    // running test makes).
    detach();
    core::resetLibraryState();
    world().failAllCalls(fake::Op::OpenManager);
    EXPECT_EQ(ZYN_IsServicePresent(), 0);
    EXPECT_EQ(world().managerAccesses.back(), kGenericRead);
}

// One data call: one service open, one status query, one close, one wait, one release, and no
// manager opened after the first call.
TEST_F(ServiceStatusTests, DataCallsShareOneServiceOpenAndTheKeptManager) {
    installService(kServiceRunning);
    world().createSection("ZYN_MAP_1", 4096);
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a b\n");
    attach();
    ExchangeAccess access{};
    std::snprintf(access.exchangeName, sizeof access.exchangeName, "exchange_1@A");
    uint32_t count = 4;
    access.lengthPtr = &count;
    uint8_t data[4];
    ASSERT_EQ(ZYN_GetExchange(&access, data), ZYN_OK);
    const int managers = world().calls(fake::Op::OpenManager);
    const auto before = [this] {
        return std::array{world().calls(fake::Op::OpenService), world().calls(fake::Op::QueryStatus),
                          world().calls(fake::Op::WaitMutex), world().calls(fake::Op::ReleaseMutex)};
    };
    const auto start = before();
    const int serviceHandles = world().openServiceHandles();
    ASSERT_EQ(ZYN_GetExchange(&access, data), ZYN_OK);
    const auto end = before();
    EXPECT_EQ(end[0] - start[0], 1) << "service opens";
    EXPECT_EQ(end[1] - start[1], 1) << "status queries";
    EXPECT_EQ(end[2] - start[2], 1) << "mutex waits";
    EXPECT_EQ(end[3] - start[3], 1) << "mutex releases";
    EXPECT_EQ(world().openServiceHandles(), serviceHandles) << "the service handle is closed";
    EXPECT_EQ(world().calls(fake::Op::OpenManager), managers);
    EXPECT_EQ(managers, 1);
}

// A manager handle the system stops honouring is replaced once, and the answer is unchanged.
TEST_F(ServiceStatusTests, InvalidManagerIsOpenedAgain) {
    installService(kServiceRunning);
    EXPECT_EQ(ZYN_IsServicePresent(), 1);
    world().invalidateManagerHandles();
    EXPECT_EQ(ZYN_IsServicePresent(), 1);
    EXPECT_EQ(ZYN_IsServiceRunning(), 1);
    EXPECT_EQ(world().calls(fake::Op::OpenManager), 2);
}

TEST_F(ServiceStatusTests, RunningAnswerForEachState) {
    struct Case {
        std::vector<uint32_t> states; // answered one per query; the last one stays
        int32_t running;
        std::vector<uint32_t> sleeps;
    };
    const Case cases[] = {
        {{kServiceStopped}, 0, {}},
        {{kServiceRunning}, 1, {}},
        {{kServicePaused}, 0, {}},
        {{kServiceStartPending, kServiceStartPending, kServiceRunning}, 1, {3000, 3000}},
        {{kServiceStopPending, kServiceStopped}, 0, {3000}},
        {{kServiceContinuePending, kServiceRunning}, 1, {3000}},
        {{kServicePausePending, kServicePaused}, 0, {3000}},
        {{99}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.states.front());
        fake::FakeService& service = installService(c.states.back());
        service.queryScript.assign(c.states.begin(), c.states.end() - 1);
        world().sleeps.clear();
        EXPECT_EQ(ZYN_IsServiceRunning(), c.running);
        EXPECT_EQ(world().sleeps, c.sleeps);
    }
}

TEST_F(ServiceStatusTests, FailedQueriesAreRetriedABoundedNumberOfTimes) {
    fake::FakeService& service = installService(kServiceStopped);
    attach();
    service.state = kServiceRunning;
    service.queryErrors.assign(3, 1); // ERROR_INVALID_FUNCTION, then the answer comes
    EXPECT_EQ(ZYN_IsServiceRunning(), 1);
    EXPECT_EQ(world().sleeps, std::vector<uint32_t>(3, 100));

    world().sleeps.clear();
    service.queryErrors.assign(1000, 1);
    EXPECT_EQ(ZYN_IsServiceRunning(), 0) << "a query that keeps failing ends as not running";
    EXPECT_EQ(world().sleeps.size(), 9u);

    for (uint32_t error : {kErrorAccessDenied, kErrorInvalidHandle}) {
        world().sleeps.clear();
        service.queryErrors.assign(1, error);
        EXPECT_EQ(ZYN_IsServiceRunning(), 0);
        EXPECT_TRUE(world().sleeps.empty()) << "access and handle errors end the poll at once";
    }
}

TEST_F(ServiceStatusTests, ServiceThatCannotBeOpenedIsNotRunning) {
    fake::FakeService& service = installService(kServiceRunning);
    service.openAccessDenied = kServiceQueryStatus;
    EXPECT_EQ(ZYN_IsServiceRunning(), 0);
    EXPECT_EQ(world().serviceAccesses.back().second, kServiceQueryStatus);
}

TEST_F(ServiceStatusTests, LoadWaitsOutAPendingStart) {
    fake::FakeService& service = installService(kServiceRunning);
    service.queryScript = {kServiceStartPending, kServiceStartPending};
    world().createSection("ZYN_MAP_1", 4096);
    attach();
    EXPECT_EQ(world().sleeps, (std::vector<uint32_t>{3000, 3000})) << "no pause after the section was found";
    EXPECT_NE(state().view.address(), nullptr);
}

} // namespace
} // namespace zyn::testing
