// zyn_ini.h - the configuration file that the library and the service share, written by a test
// for its scenario and removed again when the test ends.
#pragma once

#include <string>
#include <string_view>

namespace zyn::test {

std::string zynIniPath();

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
