// Creating, starting, stopping and resetting the service against the fake Service Control
// Manager: every refusal, every wait (in virtual time) and the attachment that follows a start.
#include "library_fixture.h"

#include <cctype>
#include <cstring>
#include <string>

#include "config/page_layout.h"
#include "service/service_control.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::kServiceRunning;
using platform::kServiceStopped;
using platform::kServiceStopPending;

constexpr char kIni[] = "MAX_EXCHANGE_SIZE = 100\nMAX_STATIC_EXCHANGES = 4\n[EXCHANGE_DEFS]\n1 10 1 n g\n";
constexpr size_t kSection = 5 * 100 + 32;

class ServiceControl : public LibraryTest {
protected:
    // The service as installed, stopped, which creates its section when started.
    fake::FakeService& stoppedServiceWithSection() {
        world().writeIni(kIni);
        fake::FakeService& service = installService(kServiceStopped);
        service.onStart = [this] { world().createSection(config::kSectionName, kSection); };
        return service;
    }
    uint32_t sleptFor(uint32_t milliseconds) const {
        uint32_t count = 0;
        for (uint32_t sleep : const_cast<ServiceControl*>(this)->world().sleeps)
            count += sleep == milliseconds;
        return count;
    }
    int32_t readByte() {
        ExchangeAccess access;
        std::memset(&access, 0, sizeof access);
        std::strcpy(access.exchangeName, "exchange_1@N");
        uint32_t count = 1;
        access.lengthPtr = &count;
        uint8_t byte = 0;
        return ZYN_GetExchange(&access, &byte);
    }
};

TEST_F(ServiceControl, NotInstalledIsRefusedWithoutTouchingAnything) {
    attach();
    for (auto operation : {ZYN_StartService, ZYN_StopService, ZYN_ResetService})
        EXPECT_EQ(operation(), ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(world().calls(fake::Op::StartService), 0);
    EXPECT_EQ(world().calls(fake::Op::ControlService), 0);
    EXPECT_TRUE(world().sleeps.empty());
}

TEST_F(ServiceControl, PlatformWithoutScmAnswersOne) {
    world().ntFamily = false;
    attach();
    for (auto operation : {ZYN_StartService, ZYN_StopService, ZYN_ResetService})
        EXPECT_EQ(operation(), ZYN_NO_SCM);
    EXPECT_EQ(world().calls(fake::Op::OpenManager), 0);
}

TEST_F(ServiceControl, ManagerOrServiceThatCannotBeOpenedFails) {
    fake::FakeService& service = stoppedServiceWithSection();
    attach();
    for (auto operation : {ZYN_StartService, ZYN_StopService, ZYN_ResetService}) {
        world().failCall(fake::Op::OpenManager, 1); // the presence test uses the manager kept since the load
        EXPECT_EQ(operation(), ZYN_E_FAILED);
    }
    service.openAccessDenied = platform::kServiceStart | platform::kServiceStop;
    for (auto operation : {ZYN_StartService, ZYN_StopService, ZYN_ResetService})
        EXPECT_EQ(operation(), ZYN_E_FAILED);
    EXPECT_EQ(service.starts, 0);
}

TEST_F(ServiceControl, InitServiceCreatesTheEntryOnce) {
    attach();
    EXPECT_EQ(ZYN_InitService(nullptr), 0);
    EXPECT_TRUE(world().managerAccesses.size() <= 1u) << "a null path asks nothing of the manager";
    EXPECT_EQ(ZYN_InitService("C:\\svc\\zyn.exe -x"), 1);
    ASSERT_EQ(world().services.count(core::kServiceName), 1u);
    EXPECT_EQ(world().services[core::kServiceName].executablePath, "C:\\svc\\zyn.exe -x");
    EXPECT_EQ(world().services[core::kServiceName].state, kServiceStopped) << "not started";
    EXPECT_EQ(world().managerAccesses.back(), platform::kScManagerAllAccess);
    EXPECT_EQ(world().serviceAccesses.back().second, platform::kServiceAllAccess);
    EXPECT_EQ(ZYN_InitService("C:\\svc\\zyn.exe"), 0) << "the entry exists already";
    world().failCall(fake::Op::OpenManager, 1);
    world().services.clear();
    EXPECT_EQ(ZYN_InitService("C:\\svc\\zyn.exe"), 0);
    EXPECT_EQ(ZYN_RemoveService(), 0);
}

TEST_F(ServiceControl, StartAttachesReloadsAndSettles) {
    fake::FakeService& service = stoppedServiceWithSection();
    attach();
    EXPECT_EQ(readByte(), ZYN_E_NOT_RUNNING);
    world().sleeps.clear();
    EXPECT_EQ(ZYN_StartService(), ZYN_OK);
    EXPECT_EQ(service.starts, 1);
    EXPECT_NE(state().view.address(), nullptr);
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(world().sleeps, std::vector<uint32_t>{3000}) << "the settling pause only: the section was there";
    EXPECT_EQ(readByte(), ZYN_OK);
}

TEST_F(ServiceControl, StartOfARunningServiceKeepsItsViewAndReloads) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.state = kServiceRunning;
    world().createSection(config::kSectionName, kSection);
    attach();
    ASSERT_NE(state().view.address(), nullptr);
    const int opens = world().calls(fake::Op::OpenSection);
    const int maps = world().calls(fake::Op::MapView);
    world().writeIni(std::string(kIni) + "2 10 1 n g\n");
    EXPECT_EQ(ZYN_StartService(), ZYN_OK);
    EXPECT_EQ(world().calls(fake::Op::OpenSection), opens) << "the kept mapping handle is used";
    EXPECT_EQ(world().calls(fake::Op::MapView), maps) << "the mapped view stays";
    EXPECT_EQ(state().exchangeCount, 2u);
}

// A stop that lets go of the section after a start has begun: the start's step opens it again.
TEST_F(ServiceControl, StartRacingAStopThatLetsGoOfTheSectionOpensItAgain) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.state = kServiceRunning;
    world().createSection(config::kSectionName, kSection);
    attach();
    world().beforeNextExclusiveLock = [&] {
        service.controlError = platform::kErrorServiceNotActive; // the stop finds it not running
        EXPECT_EQ(ZYN_StopService(), ZYN_OK);
    };
    EXPECT_EQ(ZYN_StartService(), ZYN_OK);
    EXPECT_EQ(readByte(), ZYN_OK);
}

struct StartRefusal {
    const char* what;
    void (*arrange)(fake::FakeWorld&, fake::FakeService&);
    int32_t result;
};

const StartRefusal kStartRefusals[] = {
    {"start refused", [](fake::FakeWorld&, fake::FakeService& s) { s.startError = 1058; }, ZYN_E_NOT_RUNNING},
    {"windows directory unavailable",
     [](fake::FakeWorld& w, fake::FakeService&) { w.failAllCalls(fake::Op::ExpandWindir); }, ZYN_E_FAILED},
    {"service never leaves stopped",
     [](fake::FakeWorld& w, fake::FakeService& s) {
         s.onStart = [&w] { w.services[core::kServiceName].state = kServiceStopped; };
     },
     ZYN_E_FAILED},
    {"section never created", [](fake::FakeWorld&, fake::FakeService& s) { s.onStart = nullptr; }, ZYN_E_FAILED},
    {"no configuration file", [](fake::FakeWorld& w, fake::FakeService&) { w.files.erase("zyn.ini"); },
     ZYN_E_NO_DEFINITIONS},
    {"no definition lines",
     [](fake::FakeWorld& w, fake::FakeService&) { w.writeIni("EXCH_MAP = 0\n[EXCHANGE_DEFS]\n# none\n"); },
     ZYN_E_NO_DEFINITIONS},
};

class StartRefusals : public ServiceControl, public ::testing::WithParamInterface<StartRefusal> {};

TEST_P(StartRefusals, ReportTheirCode) {
    fake::FakeService& service = stoppedServiceWithSection();
    attach();
    GetParam().arrange(world(), service);
    world().sleeps.clear();
    EXPECT_EQ(ZYN_StartService(), GetParam().result);
    const std::string what = GetParam().what;
    if (GetParam().result == ZYN_E_NO_DEFINITIONS) {
        EXPECT_EQ(state().loaded, 0);
        EXPECT_NE(state().view.address(), nullptr) << "the view is mapped all the same";
        EXPECT_EQ(readByte(), ZYN_E_NOT_FOUND);
    }
    if (what == "service never leaves stopped") {
        EXPECT_EQ(sleptFor(1000), 46u);
    }
    if (what == "section never created") {
        EXPECT_EQ(world().calls(fake::Op::OpenSection), 2 * 46) << "46 attempts on both names";
        EXPECT_EQ(state().view.address(), nullptr);
    }
    if (what == "windows directory unavailable" || what == "start refused") {
        EXPECT_TRUE(world().sleeps.empty());
    }
}

// CTest lists each row under its description ("start refused" -> StartRefused), not its index.
std::string refusalName(const ::testing::TestParamInfo<StartRefusal>& info) {
    std::string name;
    bool wordStart = true;
    for (const char* c = info.param.what; *c != '\0'; ++c) {
        const unsigned char ch = static_cast<unsigned char>(*c);
        if (!std::isalnum(ch)) {
            wordStart = true;
            continue;
        }
        name += static_cast<char>(wordStart ? std::toupper(ch) : ch);
        wordStart = false;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Each, StartRefusals, ::testing::ValuesIn(kStartRefusals), refusalName);

TEST_F(ServiceControl, StartWithoutQueryHandleDoesNotWait) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.openAccessDenied = platform::kServiceQueryStatus;
    attach();
    world().sleeps.clear();
    EXPECT_EQ(ZYN_StartService(), ZYN_OK) << "a failed status query counts as not stopped";
    EXPECT_EQ(world().sleeps, std::vector<uint32_t>{3000}) << "no wait pass, no attach pause";
}

TEST_F(ServiceControl, StopOutcomes) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.state = kServiceRunning;
    world().createSection(config::kSectionName, kSection);
    attach();
    world().sleeps.clear();

    service.stateAfterStop = kServiceRunning; // accepted, but still running
    EXPECT_EQ(ZYN_StopService(), ZYN_E_FAILED);
    service.stateAfterStop.reset();
    service.controlError = 1051; // dependent services running
    EXPECT_EQ(ZYN_StopService(), ZYN_E_FAILED);
    service.controlError = 0;
    EXPECT_TRUE(world().sleeps.empty());

    EXPECT_EQ(ZYN_StopService(), ZYN_OK);
    EXPECT_EQ(world().sleeps, std::vector<uint32_t>{3000});
    EXPECT_TRUE(state().mappingHandle) << "an accepted stop keeps the mapping handle";

    world().sleeps.clear();
    EXPECT_EQ(ZYN_StopService(), ZYN_OK) << "stopping a stopped service";
    EXPECT_TRUE(world().sleeps.empty()) << "without the pause";
    EXPECT_FALSE(state().mappingHandle);
    EXPECT_EQ(state().view.address(), nullptr);
    EXPECT_EQ(world().mappedViews, 0);

    const int opens = world().calls(fake::Op::OpenSection);
    EXPECT_EQ(ZYN_StartService(), ZYN_OK);
    EXPECT_EQ(world().calls(fake::Op::OpenSection), opens + 1) << "the section is opened by name again";
    EXPECT_EQ(readByte(), ZYN_OK);
}

TEST_F(ServiceControl, ResetStopsWaitsAndStartsAgain) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.state = kServiceRunning;
    world().createSection(config::kSectionName, kSection);
    attach();
    EXPECT_EQ(ZYN_ResetService(), ZYN_OK);
    EXPECT_EQ(service.stopControls, 1);
    EXPECT_EQ(service.starts, 1);
    EXPECT_EQ(readByte(), ZYN_OK);
}

TEST_F(ServiceControl, ResetWhoseStopWaitRunsOutTakesTheRunningServiceUp) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.state = kServiceRunning;
    service.stateAfterStop = kServiceStopPending; // the stop never completes
    world().createSection(config::kSectionName, kSection);
    attach();
    world().sleeps.clear();
    EXPECT_EQ(ZYN_ResetService(), ZYN_OK) << "the start's result replaces the wait's";
    EXPECT_EQ(sleptFor(1000), 46u) << "46 passes waiting for the stop; the kept mapping needs no attach pause";
    EXPECT_EQ(service.starts, 0) << "taken up through 'already running'";
}

TEST_F(ServiceControl, ResetCountsAFailedStatusQueryAsNotStopped) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.state = kServiceRunning;
    world().createSection(config::kSectionName, kSection);
    attach();
    service.queryErrors.assign(46, 1); // every pass of the stop wait fails to query
    world().sleeps.clear();
    EXPECT_EQ(ZYN_ResetService(), ZYN_OK);
    EXPECT_EQ(sleptFor(1000), 46u);
    EXPECT_EQ(service.starts, 1);
}

TEST_F(ServiceControl, ResetReportsAFailedStop) {
    fake::FakeService& service = stoppedServiceWithSection();
    service.state = kServiceRunning;
    service.controlError = 1061;
    attach();
    EXPECT_EQ(ZYN_ResetService(), ZYN_E_FAILED);
    EXPECT_EQ(service.starts, 0);
}

} // namespace
} // namespace zyn::testing
