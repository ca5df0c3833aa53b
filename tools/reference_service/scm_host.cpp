// scm_host.cpp - running under the Service Control Manager: the dispatcher, ServiceMain, the
// control handler and the status reports.
#include <atomic>
#include <cstdio>

#include "service_hosts.h"
#include "service_run.h"

namespace zyn::reference {

namespace {

constexpr DWORD kStartWaitHintMs = 5000;
constexpr DWORD kStopWaitHintMs = 5000;

// Reports the service's state, from ServiceMain's thread and, for an accepted stop, from the
// control handler; the checkpoint counter is shared by both.
class ScmStatus final : public StatusSink {
public:
    explicit ScmStatus(SERVICE_STATUS_HANDLE handle) : handle_(handle) {}

    void startPending() override { report(SERVICE_START_PENDING, 0, kStartWaitHintMs); }
    void running() override { report(SERVICE_RUNNING, 0, 0); }
    void stopPending() override { report(SERVICE_STOP_PENDING, 0, kStopWaitHintMs); }
    void stopped(DWORD exitCode) override { report(SERVICE_STOPPED, exitCode, 0); }
    void note(const char*) override {}

private:
    void report(DWORD state, DWORD exitCode, DWORD waitHint) {
        SERVICE_STATUS status{};
        status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status.dwCurrentState = state;
        status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
        status.dwWin32ExitCode = exitCode;
        const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
        status.dwCheckPoint = pending ? ++checkPoint_ : 0;
        status.dwWaitHint = waitHint;
        SetServiceStatus(handle_, &status);
    }

    SERVICE_STATUS_HANDLE handle_;
    std::atomic<DWORD> checkPoint_ = 0;
};

struct ControlContext {
    HANDLE stopRequested = nullptr;
    std::atomic<ScmStatus*> status = nullptr;
};

// ServiceMain has no parameter through which to pass state: what it needs is set before the
// dispatcher starts and read only afterwards.
const Options* g_options = nullptr;
bool g_invalidSwitches = false;

// Runs on the dispatcher's thread. An accepted stop is reported as STOP_PENDING before the
// handler returns, so the status that the stop control hands back to its sender already says so.
DWORD WINAPI controlHandler(DWORD control, DWORD, LPVOID, LPVOID context) {
    auto* controls = static_cast<ControlContext*>(context);
    switch (control) {
    case SERVICE_CONTROL_STOP:
        if (ScmStatus* status = controls->status.load()) status->stopPending();
        SetEvent(controls->stopRequested);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI serviceMain(DWORD, LPSTR*) {
    win32::KernelHandle stopRequested(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ControlContext controls;
    controls.stopRequested = stopRequested.get();
    SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerExA(kServiceName, controlHandler, &controls);
    if (handle == nullptr) return;
    ScmStatus status(handle);
    controls.status = &status;
    if (g_invalidSwitches || !stopRequested) {
        status.stopped(g_invalidSwitches ? ERROR_INVALID_PARAMETER : GetLastError());
        return;
    }
    runReferenceService(*g_options, stopRequested.get(), status);
}

int dispatch() {
    char name[sizeof kServiceName];
    std::snprintf(name, sizeof name, "%s", kServiceName);
    const SERVICE_TABLE_ENTRYA table[] = {{name, serviceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherA(table)) return 0;
    DWORD error = GetLastError();
    if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        std::fprintf(stderr,
                     "zyn_reference_service: not started by the Service Control Manager; "
                     "install it as \"%s\" or run it with --console\n",
                     kServiceName);
    }
    return static_cast<int>(error);
}

} // namespace

int runUnderServiceControlManager(const Options& options) {
    g_options = &options;
    return dispatch();
}

int reportInvalidSwitchesToServiceControlManager() {
    g_invalidSwitches = true;
    return dispatch();
}

} // namespace zyn::reference
