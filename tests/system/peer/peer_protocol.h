// peer_protocol.h - the commands of zyn_test_peer.exe and what its exit codes mean, shared by the
// peer and the tests that start it.
//
//   mutex-exists NAME              0 when the named mutex can be opened, 1 when there is none
//   section-exists NAME            0 when the named section can be opened, 1 when there is none
//   read-section NAME OFFSET COUNT prints COUNT bytes from OFFSET as hex on one line; 1: no section
//   wait-mutex NAME MS             waits up to MS ms; 0 acquired (and released), 3 abandoned
//                                  (released), 4 timed out; 1 when there is no such mutex
//   hold-mutex NAME MS             takes the mutex, prints "held", holds it MS ms, releases it
//   exit-holding NAME              takes the mutex, prints "held", ends without releasing it
//   hold-open PATH MS              opens the file with fopen "r", prints "held", closes it after MS ms
//
// Any failure not listed ends with kPeerFailed and a message on stderr.
#pragma once

namespace zyn::peer {

constexpr int kPeerOk = 0;
constexpr int kPeerAbsent = 1;
constexpr int kPeerFailed = 2;
constexpr int kPeerAbandoned = 3;
constexpr int kPeerTimedOut = 4;
// exit-holding ends with this code, so that a test can tell it from a crash.
constexpr int kPeerExitedHolding = 5;

constexpr char kHeldLine[] = "held";

} // namespace zyn::peer
