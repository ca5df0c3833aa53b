// peer_process.h - zyn_test_peer.exe started from a test: a second process that looks at or
// holds the named objects (commands and exit codes in peer/peer_protocol.h).
#pragma once

#include <string>

#include "support/child_process.h"

namespace zyn::test {

using PeerResult = ChildResult;

// A peer that runs alongside the test, e.g. to hold a mutex while the test acts.
class PeerProcess : public ChildProcess {
public:
    explicit PeerProcess(const std::string& arguments) : ChildProcess("zyn_test_peer.exe", arguments) {}
};

// Runs the peer with `arguments` to its end.
inline PeerResult runPeer(const std::string& arguments) { return ChildProcess::run("zyn_test_peer.exe", arguments); }

} // namespace zyn::test
