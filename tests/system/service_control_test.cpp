// service_control_test.cpp - an application that creates, starts, stops and resets the ZYN Service
// through TRVZYN32.dll, with the real Service Control Manager and the reference service: what each
// operation returns, how long it takes, and whether exchange data can be reached afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/scoped_win32.h"
#include "support/clean_machine.h"
#include "support/data_access_helpers.h"
#include "support/loaded_library.h"
#include "support/shared_objects.h"
#include "support/system_error.h"
#include "test_configurations.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr char kSectionName[] = "ZYN_MAP_1";

// The library's fixed pauses: three seconds after an accepted stop and after a completed start.
// A little less is allowed for the clock's granularity. A call without a pause takes well under
// a second.
constexpr milliseconds kNoPause = 1000ms;
constexpr milliseconds kSettlePause = 3000ms;
constexpr milliseconds kSlack = 100ms;

// The exchanges of kFixedLayoutIni and kPackedLayoutIni that have pages, by the names an
// application uses.
struct NamedPage {
    const char* name;
    const ExpectedPage& page;
};
const NamedPage kFixedPages[] = {{"exchange_1@NODE1", kFixedLayoutPages[0]},
                                 {"exchange_2@NODE2", kFixedLayoutPages[1]}};
const NamedPage kPackedPages[] = {{"exchange_1@NODE1", kPackedLayoutPages[0]},
                                  {"exchange_2@NODE2", kPackedLayoutPages[1]},
                                  {"exchange_9@NODE3", kPackedLayoutPages[2]}};

template <size_t N> void expectServicePages(const DataAccessApi& data, const NamedPage (&pages)[N]) {
    for (const NamedPage& named : pages)
        expectServicePage(data, named.name, named.page);
}

struct ServiceControlApi {
    explicit ServiceControlApi(const LoadedLibrary& library)
        : initService(ZYN_EXPORT(library, ZYN_InitService)), removeService(ZYN_EXPORT(library, ZYN_RemoveService)),
          startService(ZYN_EXPORT(library, ZYN_StartService)), stopService(ZYN_EXPORT(library, ZYN_StopService)),
          resetService(ZYN_EXPORT(library, ZYN_ResetService)),
          isServicePresent(ZYN_EXPORT(library, ZYN_IsServicePresent)),
          isServiceRunning(ZYN_EXPORT(library, ZYN_IsServiceRunning)) {}

    decltype(&ZYN_InitService) initService;
    decltype(&ZYN_RemoveService) removeService;
    decltype(&ZYN_StartService) startService;
    decltype(&ZYN_StopService) stopService;
    decltype(&ZYN_ResetService) resetService;
    decltype(&ZYN_IsServicePresent) isServicePresent;
    decltype(&ZYN_IsServiceRunning) isServiceRunning;
};

// One call of a control operation, with the time it took.
struct Timed {
    int32_t result;
    milliseconds took;
};

Timed timed(decltype(&ZYN_StartService) operation, const char* what) {
    const auto start = Clock::now();
    const int32_t result = operation();
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    std::printf("%s returned %d after %lld ms\n", what, static_cast<int>(result), static_cast<long long>(took.count()));
    return {result, took};
}

// The command line an application hands to ZYN_InitService: the full Windows path of the
// reference service next to this program, with the tests' security.
std::string serviceCommandLine() { return referenceServiceCommandLine(); }

// ZYN_RemoveService leaves the entry in place, so a test whose entry the library created removes
// it through the SCM itself, however the test ends.
struct RemoveServiceAtEnd {
    RemoveServiceAtEnd() = default;
    RemoveServiceAtEnd(const RemoveServiceAtEnd&) = delete;
    RemoveServiceAtEnd& operator=(const RemoveServiceAtEnd&) = delete;
    ~RemoveServiceAtEnd() {
        try {
            removeServiceIfPresent();
        } catch (const SystemError& error) {
            ADD_FAILURE() << "removing the service entry: " << error.what();
        }
    }
};

zyn::win32::ServiceHandle openService(DWORD access) {
    zyn::win32::ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) throwLastError("OpenSCManagerA");
    zyn::win32::ServiceHandle service(OpenServiceA(manager.get(), kServiceName, access));
    if (!service) throwLastError("OpenServiceA");
    return service;
}

// The SCM's state of the service, asked without sending it anything.
DWORD serviceState() {
    zyn::win32::ServiceHandle service = openService(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service.get(), &status)) throwLastError("QueryServiceStatus");
    return status.dwCurrentState;
}

// Polls until the SCM reports `state`; a stop under way must not be disturbed by another control.
bool reachesState(DWORD state, milliseconds limit = 10000ms) {
    const auto deadline = Clock::now() + limit;
    while (serviceState() != state) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

using ServiceControlTest = CleanMachineTest;

// ---------------------------------------------------------------------------------------------
// Creating the entry

TEST_F(ServiceControlTest, InitServiceCreatesTheEntryOnceAndLeavesItStopped) {
    RemoveServiceAtEnd removal;
    LoadedLibrary library;
    const ServiceControlApi api(library);
    const std::string commandLine = serviceCommandLine();

    EXPECT_EQ(api.initService(nullptr), 0);
    EXPECT_FALSE(serviceInstalled()) << "an entry without a program";

    EXPECT_EQ(api.initService(commandLine.c_str()), 1);
    ASSERT_TRUE(serviceInstalled());
    EXPECT_EQ(api.initService(commandLine.c_str()), 0) << "the entry exists already";
    EXPECT_EQ(api.removeService(), 0);
    EXPECT_TRUE(serviceInstalled()) << "ZYN_RemoveService does nothing";

    // The entry as the SCM keeps it: the command line unchanged, started on demand, not started yet.
    zyn::win32::ServiceHandle service = openService(SERVICE_QUERY_CONFIG);
    std::vector<char> buffer(8192);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    DWORD needed = 0;
    ASSERT_TRUE(QueryServiceConfigA(service.get(), config, static_cast<DWORD>(buffer.size()), &needed))
        << GetLastError();
    EXPECT_EQ(std::string(config->lpBinaryPathName), commandLine);
    EXPECT_EQ(std::string(config->lpDisplayName), kServiceName);
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(config->dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(serviceState(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(api.isServicePresent(), 1);
    EXPECT_EQ(api.isServiceRunning(), 0);

    // The machine's own clean-up removes what the library created.
    service.reset();
    removeServiceIfPresent();
    EXPECT_FALSE(serviceInstalled());
}

// ---------------------------------------------------------------------------------------------
// Starting, stopping and resetting

TEST_F(ServiceControlTest, StartOfTheCreatedEntryAttachesAndDataIsReadableAtOnce) {
    RemoveServiceAtEnd removal;
    ZynIni ini(kFixedLayoutIni);
    LoadedLibrary library;
    const ServiceControlApi api(library);
    const DataAccessApi data(library);
    ASSERT_EQ(api.initService(serviceCommandLine().c_str()), 1);
    EXPECT_EQ(readExchange(data, "exchange_1@NODE1", 0, 1).result, ZYN_E_NOT_RUNNING);

    const Timed start = timed(api.startService, "ZYN_StartService");
    EXPECT_EQ(start.result, ZYN_OK);
    // The section is opened by name without a pause, and the start ends with the settling pause.
    EXPECT_GE(start.took, kSettlePause - kSlack);
    EXPECT_EQ(serviceState(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(api.isServiceRunning(), 1);
    expectServicePages(data, kFixedPages);
}

// An accepted stop leaves the library holding the section; the next start maps it afresh, and the
// pages it then shows are those of the service just started, here with another zyn.ini.
TEST_F(ServiceControlTest, StopThenStartShowsTheNewServicesPagesThroughTheKeptSection) {
    std::optional<ZynIni> ini(std::in_place, kFixedLayoutIni);
    ReferenceService service;
    service.start();
    LoadedLibrary library; // attaches to the running service
    const ServiceControlApi api(library);
    const DataAccessApi data(library);
    expectServicePages(data, kFixedPages);

    const Timed stop = timed(api.stopService, "ZYN_StopService");
    EXPECT_EQ(stop.result, ZYN_OK);
    EXPECT_GE(stop.took, kSettlePause - kSlack);
    ASSERT_TRUE(reachesState(SERVICE_STOPPED));
    EXPECT_EQ(readExchange(data, "exchange_1@NODE1", 0, 1).result, ZYN_E_NOT_RUNNING);
    // The service has let go of its section; only the library's handle keeps it.
    EXPECT_TRUE(namedSectionExists(kSectionName)) << "the library no longer holds the section";

    ini.reset();
    ini.emplace(kPackedLayoutIni);
    const Timed start = timed(api.startService, "ZYN_StartService");
    EXPECT_EQ(start.result, ZYN_OK);
    EXPECT_GE(start.took, kSettlePause - kSlack) << "the closing pause";
    EXPECT_EQ(serviceState(), static_cast<DWORD>(SERVICE_RUNNING));
    expectServicePages(data, kPackedPages);
}

// A stop that finds the service stopped already succeeds at once and lets go of the section; a
// later start, even of a service that runs again meanwhile, opens the section by name.
TEST_F(ServiceControlTest, StopOfAStoppedServiceDetachesAndTheNextStartAttachesAgain) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    LoadedLibrary library;
    const ServiceControlApi api(library);
    const DataAccessApi data(library);
    ASSERT_EQ(readExchange(data, "exchange_1@NODE1", 0, 1).result, ZYN_OK);

    service.stop(); // behind the library's back
    EXPECT_TRUE(namedSectionExists(kSectionName)) << "the library's handle keeps the section";
    const Timed stop = timed(api.stopService, "ZYN_StopService of a stopped service");
    EXPECT_EQ(stop.result, ZYN_OK);
    EXPECT_LT(stop.took, kNoPause) << "no pause when nothing was stopped";
    EXPECT_FALSE(namedSectionExists(kSectionName)) << "the library still holds the section";
    EXPECT_EQ(readExchange(data, "exchange_1@NODE1", 0, 1).result, ZYN_E_NOT_RUNNING);

    // Running again, but not through the library: the next data call opens the section by name.
    service.start();
    ASSERT_TRUE(waitForServicePage(kFixedLayoutPages[0]));
    EXPECT_EQ(readExchange(data, "exchange_1@NODE1", 0, 1).result, ZYN_OK);
    ExchangeRequest request("exchange_1@NODE1", 0, 0);
    EXPECT_NE(data.getExchangePtr(request.get()), nullptr);

    const Timed start = timed(api.startService, "ZYN_StartService of a running service");
    EXPECT_EQ(start.result, ZYN_OK);
    expectServicePages(data, kFixedPages);
}

// A reset stops the service, waits for it and starts it again: a new service process, whose fresh
// pages replace what an application wrote before.
TEST_F(ServiceControlTest, ResetRestartsTheServiceAndItsPagesAreFreshAfterIt) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    const DWORD firstProcess = service.status().dwProcessId;
    LoadedLibrary library;
    const ServiceControlApi api(library);
    const DataAccessApi data(library);

    const ExpectedPage& page = kFixedLayoutPages[0];
    ExchangeRequest write("exchange_1@NODE1", 0, page.size);
    const std::vector<uint8_t> written(page.size, 0x5A);
    ASSERT_EQ(data.putExchange(write.get(), written.data()), ZYN_OK);
    ASSERT_EQ(readExchange(data, "exchange_1@NODE1", 0, page.size).data, written);

    const Timed reset = timed(api.resetService, "ZYN_ResetService");
    EXPECT_EQ(reset.result, ZYN_OK);
    EXPECT_GE(reset.took, kSettlePause + kSettlePause - kSlack) << "a pause after the stop and after the start";
    const SERVICE_STATUS_PROCESS status = service.status();
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_NE(status.dwProcessId, firstProcess) << "the service was not restarted";
    expectServicePages(data, kFixedPages);
}

// ---------------------------------------------------------------------------------------------
// A start after which no definition can be read

struct EmptyConfigurationCase {
    const char* label;
    const char* ini; // null: no zyn.ini at all
};

class ServiceControlEmptyConfigurationTest : public CleanMachineTest,
                                             public ::testing::WithParamInterface<EmptyConfigurationCase> {};

// The service is started all the same, but the library's exchange table stays empty: nothing is
// listed and no exchange can be reached.
TEST_P(ServiceControlEmptyConfigurationTest, StartReportsNoDefinitionsAndLeavesTheTableEmpty) {
    std::optional<ZynIni> ini(std::in_place, kFixedLayoutIni);
    ReferenceService service;
    LoadedLibrary library; // the service is stopped: the load reads the three definitions only
    const ServiceControlApi api(library);
    const DataAccessApi data(library);
    const auto getAll = ZYN_EXPORT(library, ZYN_GetAllExchangesFromConfigFile);
    const auto getParams = ZYN_EXPORT(library, ZYN_GetStaticExchangeParams);
    std::vector<ExchangeDef> table(4);
    ASSERT_EQ(getAll(table.data()), ZYN_OK);
    ASSERT_EQ(table[0].exchangeNumber, 1);

    ini.reset();
    if (GetParam().ini != nullptr) ini.emplace(GetParam().ini);
    const Timed start = timed(api.startService, "ZYN_StartService");
    EXPECT_EQ(start.result, ZYN_E_NO_DEFINITIONS);
    EXPECT_EQ(serviceState(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(api.isServiceRunning(), 1);

    std::memset(table.data(), 0x5A, table.size() * sizeof(ExchangeDef));
    const std::vector<ExchangeDef> untouched = table;
    EXPECT_EQ(getAll(table.data()), 0);
    EXPECT_EQ(std::memcmp(table.data(), untouched.data(), table.size() * sizeof(ExchangeDef)), 0);
    ExchangeDef definition;
    std::memset(&definition, 0x5A, sizeof definition);
    getParams("exchange_1@NODE1", &definition);
    EXPECT_EQ(definition.exchangeNumber, 0);
    EXPECT_EQ(definition.size, 0u);
    EXPECT_EQ(readExchange(data, "exchange_1@NODE1", 0, 1).result, ZYN_E_NOT_FOUND);
}

const EmptyConfigurationCase kEmptyConfigurationCases[] = {
    {"HeaderWithoutDefinitionLines", "MAX_EXCHANGE_SIZE = 200\n"
                                     "MAX_STATIC_EXCHANGES = 16\n"
                                     "[EXCHANGE_DEFS]\n"
                                     "# 1\t100\t1\tNODE1\tGROUP\tM\n"
                                     "NODE1 sends nothing yet\n"
                                     "\n"},
    {"NoConfigurationFile", nullptr},
};
INSTANTIATE_TEST_SUITE_P(Files, ServiceControlEmptyConfigurationTest, ::testing::ValuesIn(kEmptyConfigurationCases),
                         [](const ::testing::TestParamInfo<EmptyConfigurationCase>& info) { return info.param.label; });

// ---------------------------------------------------------------------------------------------
// No service entry

TEST_F(ServiceControlTest, WithoutTheEntryStartStopAndResetReportNotInstalled) {
    ZynIni ini(kFixedLayoutIni);
    LoadedLibrary library;
    const ServiceControlApi api(library);
    struct Row {
        const char* what;
        decltype(&ZYN_StartService) operation;
    };
    const Row rows[] = {
        {"ZYN_StartService", api.startService},
        {"ZYN_StopService", api.stopService},
        {"ZYN_ResetService", api.resetService},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const Timed call = timed(row.operation, row.what);
        EXPECT_EQ(call.result, ZYN_E_NOT_INSTALLED);
        EXPECT_LT(call.took, kNoPause) << "nothing to wait for";
        EXPECT_FALSE(serviceInstalled());
    }
}

} // namespace
