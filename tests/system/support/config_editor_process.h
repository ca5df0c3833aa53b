// config_editor_process.h - zyn_config_editor.exe started from a test: another process with its
// own copy of TRVZYN32.dll that edits zyn.ini on command (commands in config_editor_protocol.h).
#pragma once

#include <windows.h>

#include <string>

#include "scoped_win32.h"
#include "support/system_error.h"
#include "support/test_paths.h"

namespace zyn::test {

class ConfigEditorProcess {
public:
    explicit ConfigEditorProcess(const std::string& arguments) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) throwLastError("CreatePipe");
        output_.reset(readEnd);
        win32::KernelHandle childEnd(writeEnd);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = childEnd.get();
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::string commandLine = "\"" + executableDirectory() + "\\zyn_config_editor.exe\" " + arguments;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &info)) {
            throwLastError("CreateProcessA " + commandLine);
        }
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
    }
    ConfigEditorProcess(const ConfigEditorProcess&) = delete;
    ConfigEditorProcess& operator=(const ConfigEditorProcess&) = delete;
    ~ConfigEditorProcess() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) kill();
    }

    // The next line the editor prints, without its line end; empty once its output has ended.
    std::string readLine() {
        std::string line;
        for (char c = 0; readChar(c) && c != '\n';) {
            if (c != '\r') line += c;
        }
        return line;
    }

    std::string readToEnd() {
        std::string text;
        for (char c = 0; readChar(c);) {
            if (c != '\r') text += c;
        }
        return text;
    }

    // Ends the editor wherever it is, as a crash would, and waits until it is gone.
    void kill() {
        TerminateProcess(process_.get(), kKilledExitCode);
        WaitForSingleObject(process_.get(), kTimeoutMs);
    }

    // Waits for the editor's end and returns its exit code.
    DWORD wait(DWORD timeoutMs = kTimeoutMs) {
        if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) throwLastError("waiting for the editor");
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(process_.get(), &exitCode)) throwLastError("GetExitCodeProcess");
        return exitCode;
    }

    static constexpr DWORD kKilledExitCode = 0xDEAD;

private:
    static constexpr DWORD kTimeoutMs = 60000;

    bool readChar(char& c) {
        DWORD read = 0;
        return ReadFile(output_.get(), &c, 1, &read, nullptr) && read == 1;
    }

    win32::KernelHandle process_;
    win32::KernelHandle output_;
};

struct ConfigEditorResult {
    DWORD exitCode = 0;
    std::string output;
};

// Runs the editor with `arguments` to its end.
inline ConfigEditorResult runConfigEditor(const std::string& arguments) {
    ConfigEditorProcess editor(arguments);
    ConfigEditorResult result;
    result.output = editor.readToEnd();
    result.exitCode = editor.wait();
    return result;
}

} // namespace zyn::test
