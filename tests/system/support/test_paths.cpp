// test_paths.cpp - the test program's folder and the Windows directory.
#include "support/test_paths.h"

#include <windows.h>

#include "support/system_error.h"

namespace zyn::test {

std::string executableDirectory() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) throwLastError("GetModuleFileNameA");
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\'));
}

std::string windowsDirectoryFile(const char* name) {
    char directory[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) throwLastError("GetWindowsDirectoryA");
    return std::string(directory, length) + "\\" + name;
}

} // namespace zyn::test
