// peer_process_test.cpp - the second process that the scenarios rely on holds and abandons a
// named mutex as it says, so that a scenario's failure is the library's, not the helper's.
#include <gtest/gtest.h>

#include "peer/peer_protocol.h"
#include "platform/win32/scoped_win32.h"
#include "support/peer_process.h"

namespace {

using namespace zyn::test;
using zyn::win32::KernelHandle;

constexpr char kMutexName[] = "zyn_test_peer_probe";

TEST(PeerProcess, HoldsAMutexForItsTimeThenReleasesIt) {
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, kMutexName));
    ASSERT_TRUE(mutex);
    PeerProcess peer(std::string("hold-mutex ") + kMutexName + " 300");
    ASSERT_EQ(peer.readLine(), zyn::peer::kHeldLine);
    EXPECT_EQ(WaitForSingleObject(mutex.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(mutex.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    ReleaseMutex(mutex.get());
    EXPECT_EQ(peer.wait(), static_cast<DWORD>(zyn::peer::kPeerOk));
}

TEST(PeerProcess, EndingWhileHoldingAbandonsTheMutex) {
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, kMutexName));
    ASSERT_TRUE(mutex);
    PeerProcess peer(std::string("exit-holding ") + kMutexName);
    ASSERT_EQ(peer.readLine(), zyn::peer::kHeldLine);
    EXPECT_EQ(peer.wait(), static_cast<DWORD>(zyn::peer::kPeerExitedHolding));
    EXPECT_EQ(WaitForSingleObject(mutex.get(), 0), static_cast<DWORD>(WAIT_ABANDONED));
    ReleaseMutex(mutex.get());
}

TEST(PeerProcess, ReportsWhetherANamedMutexExists) {
    EXPECT_EQ(runPeer(std::string("mutex-exists ") + kMutexName).exitCode, static_cast<DWORD>(zyn::peer::kPeerAbsent));
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, kMutexName));
    EXPECT_EQ(runPeer(std::string("mutex-exists ") + kMutexName).exitCode, static_cast<DWORD>(zyn::peer::kPeerOk));
    EXPECT_EQ(runPeer(std::string("wait-mutex ") + kMutexName + " 1000").exitCode,
              static_cast<DWORD>(zyn::peer::kPeerOk));
}

TEST(PeerProcess, ReadsBytesOfANamedSection) {
    constexpr char kSectionName[] = "zyn_test_peer_section";
    KernelHandle section(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, kSectionName));
    ASSERT_TRUE(section);
    zyn::win32::MappedView view(MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_TRUE(view);
    auto* bytes = static_cast<unsigned char*>(view.get());
    bytes[100] = 0xAB;
    bytes[101] = 0x01;
    const PeerResult result = runPeer(std::string("read-section ") + kSectionName + " 99 3");
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(zyn::peer::kPeerOk));
    EXPECT_EQ(result.output, "00ab01\n");
}

} // namespace
