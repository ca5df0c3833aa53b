// The presence and running tests: what each status answer leads to, the polls of pending
// states in virtual time, and the bounded retry of failed status queries.
#include "library_fixture.h"

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
    world().failCall(fake::Op::OpenManager, 1);
    EXPECT_EQ(ZYN_IsServicePresent(), 0);
    EXPECT_EQ(world().managerAccesses.back(), kGenericRead);
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
    fake::FakeService& service = installService(kServiceRunning);
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
    EXPECT_EQ(world().sleeps, (std::vector<uint32_t>{3000, 3000, 1000}));
    EXPECT_NE(state().view.address(), nullptr);
}

} // namespace
} // namespace zyn::testing
