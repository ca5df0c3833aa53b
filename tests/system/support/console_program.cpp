// console_program.cpp - the three standard handles as temporary files: unlike pipes, they need
// no reader while the program runs, however much it writes to either stream.
#include "support/console_program.h"

#include "platform/win32/scoped_win32.h"
#include "support/system_error.h"
#include "support/test_paths.h"

namespace zyn::test {

namespace {

constexpr DWORD kTimeoutMs = 120000;

// Inheritable, and gone from the disk with its last handle.
win32::KernelHandle temporaryFile() {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    if (GetTempPathA(sizeof folder, folder) == 0 || GetTempFileNameA(folder, "zct", 0, path) == 0)
        throwLastError("GetTempFileNameA");
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    win32::KernelHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) throwLastError(std::string("CreateFileA ") + path);
    return file;
}

void rewind(HANDLE file) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) throwLastError("SetFilePointer");
}

// The child wrote through a handle to the same open file, so its position is shared: rewind.
std::string contents(HANDLE file) {
    rewind(file);
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i) {
            if (chunk[i] != '\r') text += chunk[i];
        }
    }
    return text;
}

} // namespace

ConsoleRun runConsoleProgram(const char* program, const std::string& arguments, const std::string& input) {
    win32::KernelHandle in = temporaryFile();
    win32::KernelHandle out = temporaryFile();
    win32::KernelHandle err = temporaryFile();
    DWORD written = 0;
    if (!input.empty() && !WriteFile(in.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr))
        throwLastError("WriteFile");
    rewind(in.get());

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    std::string commandLine = "\"" + executableDirectory() + "\\" + program + "\" " + arguments;
    PROCESS_INFORMATION info{};
    if (!startProcessAllowingWineHiccup([&] {
            return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &info) != FALSE;
        }))
        throwLastError("CreateProcessA " + commandLine);
    win32::KernelHandle process(info.hProcess);
    win32::KernelHandle unusedThread(info.hThread);
    if (WaitForSingleObject(process.get(), kTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        throw SystemError("waiting for " + commandLine, WAIT_TIMEOUT);
    }
    ConsoleRun run;
    if (!GetExitCodeProcess(process.get(), &run.exitCode)) throwLastError("GetExitCodeProcess");
    run.out = contents(out.get());
    run.err = contents(err.get());
    return run;
}

} // namespace zyn::test
