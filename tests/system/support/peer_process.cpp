// peer_process.cpp - starting zyn_test_peer.exe with its stdout on a pipe.
#include "support/peer_process.h"

#include "support/system_error.h"
#include "support/test_paths.h"

namespace zyn::test {

namespace {
constexpr DWORD kPeerTimeoutMs = 30000;
} // namespace

PeerProcess::PeerProcess(const std::string& arguments) {
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
    std::string commandLine = "\"" + executableDirectory() + "\\zyn_test_peer.exe\" " + arguments;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        throwLastError("CreateProcessA " + commandLine);
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
}

PeerProcess::~PeerProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), kPeerTimeoutMs);
    }
}

// The write end closes when the peer ends, which ends a read that would otherwise block.
bool PeerProcess::readChar(char& c) {
    DWORD read = 0;
    return ReadFile(output_.get(), &c, 1, &read, nullptr) && read == 1;
}

std::string PeerProcess::readLine() {
    std::string line;
    for (char c = 0; readChar(c) && c != '\n';) {
        if (c != '\r') line += c;
    }
    return line;
}

std::string PeerProcess::readToEnd() {
    std::string text;
    for (char c = 0; readChar(c);) {
        if (c != '\r') text += c;
    }
    return text;
}

DWORD PeerProcess::wait() {
    if (WaitForSingleObject(process_.get(), kPeerTimeoutMs) != WAIT_OBJECT_0) throwLastError("waiting for the peer");
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process_.get(), &exitCode)) throwLastError("GetExitCodeProcess");
    return exitCode;
}

PeerResult runPeer(const std::string& arguments) {
    PeerProcess peer(arguments);
    PeerResult result;
    result.output = peer.readToEnd();
    result.exitCode = peer.wait();
    return result;
}

} // namespace zyn::test
