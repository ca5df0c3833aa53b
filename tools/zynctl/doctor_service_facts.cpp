// doctor_service_facts.cpp - the service's side of `zynctl doctor`: its state and session from
// the Service Control Manager, its section and exchange mutexes opened with the access the
// library asks for, and its UDP answer through the library.
#include "doctor_facts.h"

#include <windows.h>

#include <set>

#include "configured_exchanges.h"
#include "failure.h"
#include "machine_facts.h"
#include "trvzyn32.h"
#include "win32_handle.h"

namespace zynctl::doctor {

namespace {

constexpr char kServiceName[] = "ZYN Service";
constexpr char kGlobalPrefix[] = "Global\\";
// What the library asks for: it maps the section for reading and writing, and waits for and
// releases the exchange mutexes.
constexpr DWORD kSectionAccess = FILE_MAP_READ | FILE_MAP_WRITE;
constexpr DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

template <typename Open> Probe probeObject(Open open) {
    const UniqueHandle handle(open());
    if (handle) return {Access::Granted, 0};
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) return {Access::Refused, error};
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {Access::Missing, error};
    return {Access::Failed, error};
}

Probe probeSection(const std::string& name) {
    return probeObject([&] { return OpenFileMappingA(kSectionAccess, FALSE, name.c_str()); });
}

Probe probeMutex(const std::string& name) {
    return probeObject([&] { return OpenMutexA(kMutexAccess, FALSE, name.c_str()); });
}

std::optional<uint32_t> sessionOf(DWORD processId) {
    DWORD session = 0;
    if (!ProcessIdToSessionId(processId, &session)) return std::nullopt;
    return session;
}

ServiceState stateOf(DWORD current) {
    switch (current) {
    case SERVICE_RUNNING: return ServiceState::Running;
    case SERVICE_PAUSED: return ServiceState::Paused;
    case SERVICE_STOPPED: return ServiceState::Stopped;
    default: return ServiceState::Pending;
    }
}

ServiceFacts gatherServiceFacts() {
    ServiceFacts facts;
    facts.ownSession = sessionOf(GetCurrentProcessId());
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceHandle service(manager ? OpenServiceA(manager.get(), kServiceName, SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!service || !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                          sizeof status, &needed)) {
        facts.error = GetLastError();
        facts.state =
            facts.error == ERROR_SERVICE_DOES_NOT_EXIST ? ServiceState::NotInstalled : ServiceState::Unreadable;
        return facts;
    }
    facts.state = stateOf(status.dwCurrentState);
    if (facts.state == ServiceState::Running) {
        facts.processId = status.dwProcessId;
        facts.session = sessionOf(status.dwProcessId);
    }
    return facts;
}

// The library's predictable waits, told from what was found before it is called. A service
// that cannot be queried counts, for the library too, as one that does not run.
LibraryLoad predictLibraryLoad(const ServiceFacts& service, const SectionFacts& section) {
    if (service.state == ServiceState::Pending) return LibraryLoad::WaitsForPendingService;
    const bool opens = section.plain.access == Access::Granted || section.global.access == Access::Granted;
    if (service.state == ServiceState::Running && !opens) return LibraryLoad::WaitsForSection;
    return LibraryLoad::Quick;
}

// Opened where the library opens it: in the plain namespace; beside a section under "Global\"
// the plain name first, then "Global\".
Probe probeMutexIn(Namespace where, const std::string& name, std::string& foundAs) {
    foundAs = name;
    Probe probe = probeMutex(name);
    if (where == Namespace::Global && probe.access == Access::Missing) {
        foundAs = kGlobalPrefix + name;
        probe = probeMutex(foundAs);
    }
    return probe;
}

// The mutexes the service creates for the definitions: by exchange number in the fixed page
// layout, by table position in the packed one (a page that only an exchange id names has a
// mutex the library creates itself, so it is not the service's to grant). The library's load
// has by then created those the service lacks, so what the probes tell is the access granted.
MutexFacts gatherMutexFacts(Namespace where) {
    MutexFacts facts;
    ServiceConfigParams params{};
    ZYN_GetServiceConfigParams(&params);
    std::vector<ExchangeDef> table;
    try {
        table = configuredExchanges();
    } catch (const LibraryFailure& failure) {
        facts.tableFailure = failure.what();
        return facts;
    }
    std::set<int32_t> seen;
    for (size_t position = 0; position < table.size(); ++position) {
        const int32_t number = params.exchMap == 0 ? table[position].exchangeNumber : static_cast<int32_t>(position);
        if (!seen.insert(number).second) continue;
        NamedProbe mutex;
        mutex.probe = probeMutexIn(where, exchangeMutexName(number), mutex.name);
        facts.mutexes.push_back(std::move(mutex));
    }
    return facts;
}

} // namespace

DoctorFacts gatherFacts() {
    DoctorFacts facts;
    facts.service = gatherServiceFacts();
    facts.section.plain = probeSection(kSectionName);
    facts.section.global = probeSection(std::string(kGlobalPrefix) + kSectionName);
    facts.library = predictLibraryLoad(facts.service, facts.section);
    facts.configuration = gatherConfigurationFacts();
    facts.virtualStore = gatherVirtualStoreFacts(facts.configuration.path);
    facts.token = gatherTokenFacts();
    facts.registry = gatherRegistryFacts();
    if (facts.library != LibraryLoad::Quick) return facts;
    if (const std::optional<Namespace> where = sectionNamespace(facts.section))
        facts.mutexes = gatherMutexFacts(*where);
    // Last: the one call that may take a while, up to 2 s without an answer.
    facts.serviceQuery = ZYN_GetNumberOfExchangesFromService();
    return facts;
}

} // namespace zynctl::doctor
