// child_process.cpp - starting a program of the test's folder with its stdout on a pipe.
#include "support/child_process.h"

#include "support/system_error.h"
#include "support/test_paths.h"

namespace zyn::test {

ChildProcess::ChildProcess(const char* program, const std::string& arguments) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) throwLastError("CreatePipe");
    output_.reset(readEnd);
    win32::KernelHandle childEnd(writeEnd);
    // Only the write end goes to the child; the read end stays in this process alone.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = childEnd.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string commandLine = "\"" + executableDirectory() + "\\" + program + "\" " + arguments;
    PROCESS_INFORMATION info{};
    if (!startProcessAllowingWineHiccup([&] {
            return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &info) != FALSE;
        })) {
        throwLastError("CreateProcessA " + commandLine);
    }
    win32::KernelHandle unusedThread(info.hThread);
    process_.reset(info.hProcess);
}

ChildProcess::~ChildProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) kill(1);
}

// The write end closes when the child ends, which ends a read that would otherwise block.
bool ChildProcess::readChar(char& c) {
    DWORD read = 0;
    return ReadFile(output_.get(), &c, 1, &read, nullptr) && read == 1;
}

std::string ChildProcess::readLine() {
    std::string line;
    for (char c = 0; readChar(c) && c != '\n';) {
        if (c != '\r') line += c;
    }
    return line;
}

std::string ChildProcess::readToEnd() {
    std::string text;
    for (char c = 0; readChar(c);) {
        if (c != '\r') text += c;
    }
    return text;
}

DWORD ChildProcess::wait(DWORD timeoutMs) {
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) throwLastError("waiting for a child process");
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process_.get(), &exitCode)) throwLastError("GetExitCodeProcess");
    return exitCode;
}

void ChildProcess::kill(DWORD exitCode) {
    TerminateProcess(process_.get(), exitCode);
    WaitForSingleObject(process_.get(), kTimeoutMs);
}

ChildResult ChildProcess::run(const char* program, const std::string& arguments) {
    ChildProcess child(program, arguments);
    ChildResult result;
    result.output = child.readToEnd();
    result.exitCode = child.wait();
    return result;
}

} // namespace zyn::test
