// client_support.h - what the demo and the benchmark, as clients of TRVZYN32.dll, do besides
// calling it: find the files beside them and remove the service entry, which the library
// leaves to installers.
#pragma once

#include <windows.h>

#include <string>

namespace zyn::client {

inline std::string besideThisProgram(const char* fileName) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + fileName;
}

inline std::string windowsFile(const char* fileName) {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\" + fileName;
}

// Stops the service if it runs (waiting up to five seconds) and deletes its entry.
inline void deleteServiceEntry(const char* serviceName) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return;
    if (SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS | DELETE)) {
        SERVICE_STATUS status{};
        if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
            ControlService(service, SERVICE_CONTROL_STOP, &status);
            for (int i = 0; i < 50 && QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED;
                 ++i) {
                Sleep(100);
            }
        }
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

} // namespace zyn::client
