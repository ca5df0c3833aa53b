// Every call that load, reload, the parameter rewrite and the service start make, failed in
// turn: each answers one of its result codes, and an unload afterwards releases everything.
#include "fault_sweep.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "config/loader.h"
#include "config/page_layout.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using fake::FakeWorld;
using fake::Op;

constexpr char kIni[] = "# site\nMAX_EXCHANGE_SIZE = 100\nMAX_STATIC_EXCHANGES = 4\n[EXCHANGE_DEFS]\n"
                        "1 10 1 a g\n2 10 1 b g\n";
constexpr char kPackedIni[] = "EXCH_MAP = 1\nMAX_STATIC_EXCHANGES = 4\n[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g\n";
constexpr size_t kSectionSize = 5 * 100;

core::LibraryState& state() { return core::libraryState(); }

void runningServiceWithSection(FakeWorld& w) {
    w.writeIni(kIni);
    w.installService(core::kServiceName, platform::kServiceRunning);
    w.createSection(config::kSectionName, kSectionSize);
}

// The reload then finds one definition more, whose mutex is the one it creates.
void loadedWithPackedLayout(FakeWorld& w) {
    w.writeIni(kPackedIni);
    w.installService(core::kServiceName, platform::kServiceStopped);
    core::startOnce(state());
    w.writeIni(std::string(kPackedIni) + "3 10 1 c g\n");
}

// A service of the global namespace: its start moves the library's mutexes there.
void loadedWithServiceStopped(FakeWorld& w) {
    w.writeIni(kIni);
    w.installService(core::kServiceName, platform::kServiceStopped).onStart = [&w] {
        w.createSection(std::string("Global\\") + config::kSectionName, kSectionSize);
    };
    core::startOnce(state());
}

// Loading reports nothing; what it leaves must hang together all the same: a loaded table holds
// every record it counts, and a view has the section's handle behind it. The answer is that of
// copying the table: 3 with a loaded table, 0 without.
int32_t loadAndCopyTable(FakeWorld&) {
    core::startOnce(state());
    EXPECT_TRUE(state().view.address() == nullptr || state().mappingHandle);
    if (state().loaded != 0) {
        EXPECT_LE(state().exchangeCount, 2u);
        for (uint32_t i = 0; i < state().exchangeCount; ++i)
            EXPECT_NE(state().exchangeTable.record(i), nullptr) << "record " << i;
    }
    ExchangeDef copy[2];
    return ZYN_GetAllExchangesFromConfigFile(copy);
}

int32_t reload(FakeWorld&) {
    const int32_t result = config::ReloadConfiguration(state(), false);
    EXPECT_EQ(state().loaded, result == ZYN_OK ? 1 : 0);
    return result;
}

// zyn.ini holds its old content or its new one, never anything else, and the old one exactly
// when the rewrite did not answer 3.
int32_t setParameters(FakeWorld& w) {
    ServiceConfigParams p;
    std::memset(&p, 0, sizeof p);
    std::strcpy(p.multicast[0], "224.0.7.1");
    p.maxExchangeSize = 200;
    p.maxStaticExchanges = 8;
    p.maxDynamicExchanges = 16;
    const int32_t result = ZYN_SetServiceConfigParams(p);
    const std::string rewritten = "# site\n\nMULTICAST = 224.0.7.1\nMAX_EXCHANGE_SIZE = 200\nMAX_STATIC_EXCHANGES = 8\n"
                                  "MAX_DYNAMIC_EXCHANGES = 16\nEXCH_MAP = 0\n[EXCHANGE_DEFS]\n1 10 1 a g\n2 10 1 b g\n";
    EXPECT_EQ(w.readIni(), result == ZYN_OK ? rewritten : std::string(kIni));
    if (result != ZYN_OK) {
        EXPECT_EQ(w.files.count("__zyntmp.ini"), 0u) << "a failed rewrite leaves no scratch file";
    }
    return result;
}

int32_t startService(FakeWorld&) { return ZYN_StartService(); }

const FaultSweep kSweeps[] = {
    {"load",
     runningServiceWithSection,
     loadAndCopyTable,
     {ZYN_OK, 0},
     {Op::StartSockets, Op::ExpandWindir, Op::OpenManager, Op::OpenService, Op::QueryStatus, Op::OpenSection,
      Op::MapView, Op::CreateMutex, Op::WaitMutex, Op::ReleaseMutex, Op::Allocate, Op::FileOpen, Op::FileRead,
      Op::FileClose}},
    {"reload",
     loadedWithPackedLayout,
     reload,
     {ZYN_OK, ZYN_E_FAILED},
     {Op::Allocate, Op::CreateMutex, Op::WaitMutex, Op::ReleaseMutex, Op::FileOpen, Op::FileRead, Op::FileClose}},
    {"parameter rewrite",
     loadedWithServiceStopped,
     setParameters,
     {ZYN_OK, ZYN_E_PARAMETER, ZYN_E_NOT_FOUND, ZYN_E_FAILED},
     {Op::ExpandWindir, Op::WaitMutex, Op::ReleaseMutex, Op::FileOpen, Op::FileRead, Op::FileWrite, Op::FileFlush,
      Op::FileClose, Op::FileReplace}},
    // 1 is the answer of a platform without a Service Control Manager, which this one has.
    {"service start",
     loadedWithServiceStopped,
     startService,
     {ZYN_OK, ZYN_E_NOT_INSTALLED, ZYN_E_NOT_RUNNING, ZYN_E_FAILED, ZYN_E_NO_DEFINITIONS},
     {Op::OpenManager, Op::OpenService, Op::ExpandWindir, Op::StartService, Op::QueryStatus, Op::OpenSection,
      Op::MapView, Op::Allocate, Op::CreateMutex, Op::OpenMutex, Op::WaitMutex, Op::ReleaseMutex, Op::FileOpen,
      Op::FileRead, Op::FileClose}},
};

class FailedCalls : public ::testing::TestWithParam<FaultSweep> {};

TEST_P(FailedCalls, GiveAnAnswerOfTheOperationAndLeaveNothingBehind) {
    const int injected = runFaultSweep(GetParam());
    RecordProperty("injected_failures", injected);
}

INSTANTIATE_TEST_SUITE_P(Each, FailedCalls, ::testing::ValuesIn(kSweeps), [](const auto& info) {
    std::string name = info.param.what;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
});

} // namespace
} // namespace zyn::testing
