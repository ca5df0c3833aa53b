// zyn_ini.cpp - writing, reading and removing zyn.ini in the Windows directory.
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

std::string fileBytes(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return kNoFile;
    std::string bytes;
    char buffer[4096];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, read);
    std::fclose(file);
    return bytes;
}

std::string zynIniBytes() { return fileBytes(zynIniPath()); }

std::vector<std::string> linesAfterMarker(const std::string& bytes) {
    std::vector<std::string> lines;
    bool inDefinitions = false;
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inDefinitions && !(end == bytes.size() && line.empty())) lines.push_back(line);
        inDefinitions = inDefinitions || line.find("[EXCHANGE_DEFS]") != std::string::npos;
        start = end + 1;
    }
    return lines;
}

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
