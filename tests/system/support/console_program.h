// console_program.h - a command-line program of the test's folder run to its end, with its
// standard output and standard error kept apart and its standard input given: how the zynctl
// scenarios run zynctl.exe.
#pragma once

#include <windows.h>

#include <string>

namespace zyn::test {

struct ConsoleRun {
    DWORD exitCode = 0;
    std::string out; // without the CRs of the C runtime's text mode
    std::string err;
};

ConsoleRun runConsoleProgram(const char* program, const std::string& arguments, const std::string& input = {});

} // namespace zyn::test
