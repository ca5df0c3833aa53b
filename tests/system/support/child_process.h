// child_process.h - a program from the test's folder started as another process, its stdout on
// a pipe: the peer and the configuration editor are both run this way.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/scoped_win32.h"

namespace zyn::test {

struct ChildResult {
    DWORD exitCode = 0;
    std::string output; // what the child printed on stdout
};

class ChildProcess {
public:
    static constexpr DWORD kTimeoutMs = 60000;

    // Starts `program` (a path relative to the test program's folder) with `arguments`.
    ChildProcess(const char* program, const std::string& arguments);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Ends a child that is still running.
    ~ChildProcess();

    // The next line the child prints, without its line end; empty once its output has ended.
    std::string readLine();
    // Everything the child prints from here to its end.
    std::string readToEnd();
    // Waits for the child's end and returns its exit code.
    DWORD wait(DWORD timeoutMs = kTimeoutMs);
    // Ends the child wherever it is, as a crash would, and waits until it is gone.
    void kill(DWORD exitCode);

    // Runs the child to its end.
    static ChildResult run(const char* program, const std::string& arguments);

private:
    bool readChar(char& c);

    win32::KernelHandle process_;
    win32::KernelHandle output_;
};

} // namespace zyn::test
