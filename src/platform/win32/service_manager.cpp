// service_manager.cpp - Win32 only: the Service Control Manager.
#include "platform/win32/scoped_win32.h"

#include "platform/platform.h"

namespace zyn::platform {

namespace {
SC_HANDLE sc(Handle handle) { return static_cast<SC_HANDLE>(handle); }

void copyStatus(const SERVICE_STATUS& from, ServiceStatus& to) {
    to.serviceType = from.dwServiceType;
    to.currentState = from.dwCurrentState;
    to.controlsAccepted = from.dwControlsAccepted;
    to.win32ExitCode = from.dwWin32ExitCode;
    to.serviceSpecificExitCode = from.dwServiceSpecificExitCode;
    to.checkPoint = from.dwCheckPoint;
    to.waitHint = from.dwWaitHint;
}
} // namespace

Handle openServiceManager(uint32_t access) { return OpenSCManagerA(nullptr, nullptr, access); }

Handle openService(Handle manager, const char* name, uint32_t access) {
    return OpenServiceA(sc(manager), name, access);
}

Handle createService(Handle manager, const char* name, const char* displayName, uint32_t access,
                     const char* executablePath) {
    return CreateServiceA(sc(manager), name, displayName, access, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                          SERVICE_ERROR_NORMAL, executablePath, nullptr, nullptr, nullptr, nullptr, nullptr);
}

uint32_t startService(Handle service) { return StartServiceA(sc(service), 0, nullptr) ? 0 : GetLastError(); }

uint32_t controlService(Handle service, uint32_t control, ServiceStatus& status) {
    SERVICE_STATUS raw{};
    if (!ControlService(sc(service), control, &raw)) return GetLastError();
    copyStatus(raw, status);
    return 0;
}

uint32_t queryServiceStatus(Handle service, ServiceStatus& status) {
    SERVICE_STATUS raw{};
    if (!QueryServiceStatus(sc(service), &raw)) return GetLastError();
    copyStatus(raw, status);
    return 0;
}

void closeServiceHandle(Handle handle) { win32::closeKeepingLastError<CloseServiceHandle>(sc(handle)); }

} // namespace zyn::platform
