// zyn_ini.cpp - writing and removing zyn.ini in the Windows directory.
#include "support/zyn_ini.h"

#include <windows.h>

#include <cstdio>

#include "support/system_error.h"
#include "support/test_paths.h"

namespace zyn::test {

namespace {
void removeIfPresent(const std::string& path) {
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) throwLastError("DeleteFileA " + path);
}
} // namespace

std::string zynIniPath() { return windowsDirectoryFile("zyn.ini"); }

void removeConfigurationFiles() {
    removeIfPresent(zynIniPath());
    removeIfPresent(windowsDirectoryFile("__zyntmp.ini"));
}

ZynIni::ZynIni(std::string_view content) {
    const std::string path = zynIniPath();
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) throwLastError("fopen " + path);
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (std::fclose(file) != 0 || !written) throwLastError("writing " + path);
}

ZynIni::~ZynIni() { DeleteFileA(zynIniPath().c_str()); }

} // namespace zyn::test
