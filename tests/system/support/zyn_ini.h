// zyn_ini.h - the configuration file that the library and the service share, written by a test
// for its scenario, read back as it lies on disk, and removed again when the test ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zyn::test {

std::string zynIniPath();

constexpr char kNoFile[] = "(no such file)";
// The whole file as it lies on disk, or kNoFile.
std::string fileBytes(const std::string& path);
std::string zynIniBytes();

// The lines of `bytes` after the first one that holds the marker "[EXCHANGE_DEFS]", without
// their line ends.
std::vector<std::string> linesAfterMarker(const std::string& bytes);

// Removes zyn.ini and the library's scratch file __zyntmp.ini if they exist.
void removeConfigurationFiles();

// Writes zyn.ini in text mode, as an editor on the system would, and removes it on destruction.
class ZynIni {
public:
    explicit ZynIni(std::string_view content);
    ZynIni(const ZynIni&) = delete;
    ZynIni& operator=(const ZynIni&) = delete;
    ~ZynIni();
};

} // namespace zyn::test
