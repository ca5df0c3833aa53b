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

// Starts a process (or a service's) by `start`, which returns false with the error set on
// failure. Wine, on a busy machine, now and then reports ERROR_INTERNAL_ERROR for a new process
// that died while it was being set up, and the next start of the same program works; only that
// error is tried again, twice.
template <typename Start> bool startProcessAllowingWineHiccup(Start start) {
    constexpr int kAttempts = 3;
    constexpr DWORD kPauseMs = 200;
    for (int attempt = 1;; ++attempt) {
        if (start()) return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == kAttempts) return false;
        Sleep(kPauseMs);
    }
}

} // namespace zyn::test
