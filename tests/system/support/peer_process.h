// peer_process.h - zyn_test_peer.exe started from a test: a second process that looks at or
// holds the named objects (commands and exit codes in peer/peer_protocol.h).
#pragma once

#include <windows.h>

#include <string>

#include "scoped_win32.h"

namespace zyn::test {

struct PeerResult {
    DWORD exitCode = 0;
    std::string output; // what the peer printed on stdout
};

// Runs the peer with `arguments` to its end.
PeerResult runPeer(const std::string& arguments);

// A peer that runs alongside the test, e.g. to hold a mutex while the test acts.
class PeerProcess {
public:
    explicit PeerProcess(const std::string& arguments);
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;
    // Ends a peer that is still running.
    ~PeerProcess();

    // The next line the peer prints, without its line end; empty once its output has ended.
    std::string readLine();
    // Everything the peer prints from here to its end.
    std::string readToEnd();
    // Waits for the peer's end and returns its exit code.
    DWORD wait();

private:
    bool readChar(char& c);

    win32::KernelHandle process_;
    win32::KernelHandle output_;
};

} // namespace zyn::test
