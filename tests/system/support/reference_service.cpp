// reference_service.cpp - driving the reference service through the Service Control Manager.
#include "support/reference_service.h"

#include <chrono>
#include <thread>

#include "support/system_error.h"
#include "support/test_paths.h"

namespace zyn::test {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kStateTimeout = 20s;
constexpr auto kPollInterval = 10ms;

win32::ServiceHandle openManager() {
    win32::ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) throwLastError("OpenSCManagerA");
    return manager;
}

SERVICE_STATUS_PROCESS queryStatus(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                              &needed)) {
        throwLastError("QueryServiceStatusEx");
    }
    return status;
}

bool processAliveById(DWORD processId) {
    if (processId == 0) return false;
    win32::KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Polls until the service is in `state`, or its process has gone while the SCM still shows it
// as running (the SCM notices no death of a service process). Sends no control meanwhile: a
// control during a pending stop makes the SCM kill the service and report it running for ever.
SERVICE_STATUS_PROCESS waitForState(SC_HANDLE service, DWORD state) {
    const auto deadline = Clock::now() + kStateTimeout;
    for (;;) {
        SERVICE_STATUS_PROCESS status = queryStatus(service);
        if (status.dwCurrentState == state) return status;
        if (state == SERVICE_RUNNING && status.dwCurrentState == SERVICE_STOPPED) {
            throw SystemError("the service stopped while starting; its exit code", status.dwWin32ExitCode);
        }
        if (status.dwCurrentState == SERVICE_RUNNING && !processAliveById(status.dwProcessId)) return status;
        if (Clock::now() > deadline) {
            throw SystemError("waiting for service state " + std::to_string(state) + "; last state",
                              status.dwCurrentState);
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

// Brings the service to a stop unless it is stopped, or its process has gone already.
void stopAndWait(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status = queryStatus(service);
    if (status.dwCurrentState == SERVICE_STOPPED) return;
    if (status.dwCurrentState == SERVICE_RUNNING && !processAliveById(status.dwProcessId)) return;
    if (status.dwCurrentState == SERVICE_RUNNING) {
        SERVICE_STATUS ignored{};
        if (!ControlService(service, SERVICE_CONTROL_STOP, &ignored)) throwLastError("ControlService(STOP)");
    } else if (status.dwCurrentState == SERVICE_START_PENDING) {
        waitForState(service, SERVICE_RUNNING);
        stopAndWait(service);
        return;
    }
    waitForState(service, SERVICE_STOPPED);
}

void stopAndDelete(SC_HANDLE service) {
    stopAndWait(service);
    if (!DeleteService(service) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) throwLastError("DeleteService");
}

constexpr DWORD kServiceAccess = SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE;

} // namespace

std::string referenceServiceCommandLine(const std::string& switches, const char* program) {
    std::string commandLine = "\"" + executableDirectory() + "\\" + program + "\"";
    if (switches.find("--security=") == std::string::npos) commandLine += std::string(" ") + kTestServiceSecurity;
    if (!switches.empty()) commandLine += " " + switches;
    return commandLine;
}

bool serviceInstalled() {
    win32::ServiceHandle manager = openManager();
    win32::ServiceHandle service(OpenServiceA(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
}

void removeServiceIfPresent() {
    win32::ServiceHandle manager = openManager();
    win32::ServiceHandle service(OpenServiceA(manager.get(), kServiceName, kServiceAccess));
    if (!service) {
        if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return;
        throwLastError("OpenServiceA");
    }
    stopAndDelete(service.get());
}

ReferenceService::ReferenceService(const std::string& switches, const char* program) {
    removeServiceIfPresent();
    manager_ = openManager();
    const std::string commandLine = referenceServiceCommandLine(switches, program);
    service_.reset(CreateServiceA(manager_.get(), kServiceName, kServiceName, kServiceAccess, SERVICE_WIN32_OWN_PROCESS,
                                  SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, commandLine.c_str(), nullptr, nullptr,
                                  nullptr, nullptr, nullptr));
    if (!service_) throwLastError("CreateServiceA");
}

ReferenceService::~ReferenceService() {
    try {
        stopAndDelete(service_.get());
    } catch (const SystemError&) {
        // A destructor cannot fail the test; the next test's clean-up removes what is left.
        DeleteService(service_.get());
    }
}

void ReferenceService::start() {
    if (!startProcessAllowingWineHiccup([&] { return StartServiceA(service_.get(), 0, nullptr) != FALSE; }))
        throwLastError("StartServiceA");
    waitForState(service_.get(), SERVICE_RUNNING);
}

void ReferenceService::stop() {
    SERVICE_STATUS ignored{};
    if (!ControlService(service_.get(), SERVICE_CONTROL_STOP, &ignored)) throwLastError("ControlService(STOP)");
    waitForState(service_.get(), SERVICE_STOPPED);
}

SERVICE_STATUS_PROCESS ReferenceService::status() const { return queryStatus(service_.get()); }

bool ReferenceService::processAlive() const { return processAliveById(status().dwProcessId); }

} // namespace zyn::test
