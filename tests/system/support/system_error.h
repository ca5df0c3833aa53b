// system_error.h - failures of the test helpers, carried as exceptions with the system's error
// code, so that a test that meets one fails with a message that says which call went wrong.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace zyn::test {

class SystemError : public std::runtime_error {
public:
    SystemError(const std::string& what, DWORD code)
        : std::runtime_error(what + " failed, error " + std::to_string(code)), code_(code) {}
    DWORD code() const { return code_; }

private:
    DWORD code_;
};

[[noreturn]] inline void throwLastError(const std::string& what) { throw SystemError(what, GetLastError()); }

} // namespace zyn::test
