// test_paths.h - the places the system tests work in: the folder of the test program (where the
// DLL, the reference service and the peer sit) and the Windows directory (where zyn.ini lives).
#pragma once

#include <string>

namespace zyn::test {

// Windows path of the folder that holds the running test program, without a trailing backslash.
std::string executableDirectory();

// "<Windows directory>\<name>".
std::string windowsDirectoryFile(const char* name);

} // namespace zyn::test
