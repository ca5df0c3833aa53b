// The fake platform's failure injection: every kind of call it counts can be made to fail, so
// that a sweep over a kind exercises a failure path and not a call that goes through anyway;
// and cleared failures fail nothing.
#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"

namespace zyn::testing {
namespace {

using namespace platform;
using fake::FakeWorld;
using fake::Op;

std::string file(const FakeWorld& w, const char* name) { return w.pathOf(name); }

Handle manager() { return openServiceManager(kGenericRead); }
Handle service(FakeWorld& w, uint32_t state) {
    w.installService("svc", state);
    return openService(manager(), "svc", kServiceStart);
}
Handle ownedMutex() {
    Handle mutex = createMutex("m");
    waitForObject(mutex, kInfinite);
    return mutex;
}
Handle section(FakeWorld& w) {
    w.createSection("s", 64);
    return openSection("s");
}
bool udpExchange(FakeWorld& w) {
    w.udp.answer = [](const std::vector<uint8_t>&) { return std::vector<uint8_t>{7}; };
    uint8_t reply = 0;
    size_t received = 0;
    return exchangeDatagramWithLocalHost(21586, "q", 1, &reply, 1, 100, received) == UdpOutcome::Received;
}
FileHandle openForWriting(const FakeWorld& w) { return openFile(file(w, "f.ini").c_str(), "w"); }

struct Kind {
    Op op;
    bool (*succeeds)(FakeWorld&); // makes one call of the kind, after the calls it needs first
};

const Kind kKinds[] = {
    {Op::Allocate, [](FakeWorld&) { return allocateZeroed(8) != nullptr; }},
    {Op::CreateMutex, [](FakeWorld&) { return createMutex("m") != nullptr; }},
    {Op::OpenMutex, [](FakeWorld&) { return createMutex("m") && openMutex("m") != nullptr; }},
    {Op::WaitMutex, [](FakeWorld&) { return waitForObject(createMutex("m"), kInfinite) == kWaitObject0; }},
    {Op::ReleaseMutex, [](FakeWorld&) { return releaseMutex(ownedMutex()); }},
    {Op::OpenSection, [](FakeWorld& w) { return section(w) != nullptr; }},
    {Op::MapView, [](FakeWorld& w) { return mapWholeSection(section(w)).address != nullptr; }},
    {Op::OpenManager, [](FakeWorld&) { return manager() != nullptr; }},
    {Op::OpenService, [](FakeWorld& w) { return service(w, kServiceStopped) != nullptr; }},
    {Op::CreateService,
     [](FakeWorld&) { return createService(manager(), "svc", "svc", kServiceAllAccess, "x") != nullptr; }},
    {Op::StartService, [](FakeWorld& w) { return startService(service(w, kServiceStopped)) == 0; }},
    {Op::ControlService,
     [](FakeWorld& w) {
         ServiceStatus status;
         return controlService(service(w, kServiceRunning), kServiceControlStop, status) == 0;
     }},
    {Op::QueryStatus,
     [](FakeWorld& w) {
         ServiceStatus status;
         return queryServiceStatus(service(w, kServiceRunning), status) == 0;
     }},
    {Op::RegistryOpen,
     [](FakeWorld& w) {
         w.registry[RegistryView::Bits32]["k"]["v"] = {1, 0, 0, 0};
         uint32_t value = 0;
         return readMachineValue32(RegistryView::Bits32, "k", "v", value).valueRead;
     }},
    {Op::StartSockets, [](FakeWorld&) { return startSockets(); }},
    {Op::Socket, udpExchange},
    {Op::UdpExchange, udpExchange},
    {Op::FileOpen, [](FakeWorld& w) { return openForWriting(w) != nullptr; }},
    {Op::FileRead,
     [](FakeWorld& w) {
         w.writeIni("line\n");
         char piece[128];
         return readPiece(openFile(w.iniPath().c_str(), "r"), piece, sizeof piece);
     }},
    {Op::FileWrite, [](FakeWorld& w) { return writeText(openForWriting(w), "x", 1); }},
    {Op::FileFlush, [](FakeWorld& w) { return flushToDisk(openForWriting(w)); }},
    {Op::FileClose, [](FakeWorld& w) { return closeFile(openForWriting(w)); }},
    {Op::FileReplace,
     [](FakeWorld& w) {
         closeFile(openForWriting(w));
         return replaceFile(w.iniPath().c_str(), file(w, "f.ini").c_str()) == ReplaceOutcome::Replaced;
     }},
    {Op::FileRemove,
     [](FakeWorld& w) {
         closeFile(openForWriting(w));
         return removeFile(file(w, "f.ini").c_str());
     }},
    {Op::ExpandWindir,
     [](FakeWorld&) {
         char directory[256];
         return expandWindowsDirectory(directory, sizeof directory) != 0;
     }},
};

TEST(FakePlatform, EveryKindOfCallFailsWhenToldAndOnlyThen) {
    ASSERT_EQ(std::size(kKinds), static_cast<size_t>(Op::Count_)) << "one row per kind";
    for (int index = 0; index < static_cast<int>(Op::Count_); ++index) {
        const Kind& kind = kKinds[index];
        SCOPED_TRACE(fake::opName(kind.op));
        EXPECT_EQ(static_cast<int>(kind.op), index) << "rows in the order of the kinds";
        {
            fake::FakeWorldScope w;
            EXPECT_TRUE(kind.succeeds(*w));
        }
        {
            fake::FakeWorldScope w;
            w->failCall(kind.op, 1);
            EXPECT_FALSE(kind.succeeds(*w));
            EXPECT_EQ(w->calls(kind.op), 1);
        }
        {
            fake::FakeWorldScope w;
            w->failCall(kind.op, 1);
            w->failAllCalls(kind.op);
            w->clearFailures();
            EXPECT_TRUE(kind.succeeds(*w)) << "cleared failures fail nothing";
        }
    }
}

// The fake's files stand in for the C library's: what the library relies on from them holds here.
TEST(FakePlatform, FilesAreTheWindowsDirectorysAndReadAsTheCLibraryReadsThem) {
    fake::FakeWorldScope w;
    EXPECT_EQ(openFile("C:\\OTHER\\zyn.ini", "w"), nullptr) << "no folder but the Windows directory";
    EXPECT_EQ(openFile(w->iniPath().c_str(), "r"), nullptr) << "reading needs the file";
    EXPECT_FALSE(fileExists(w->iniPath().c_str()));

    w->writeIni("a\r\nb\rc\x1A" "d\n");
    FileHandle text = openFile(w->iniPath().c_str(), "r");
    char piece[128];
    std::string pieces;
    while (readPiece(text, piece, sizeof piece))
        pieces += std::string(piece) + "|";
    EXPECT_EQ(pieces, "a\n|b\rc|") << "CR LF reads as LF, a lone CR stays, a Ctrl-Z ends the reading";
    EXPECT_TRUE(closeFile(text));

    FileHandle binary = openFile(w->iniPath().c_str(), "rb");
    char bytes[16];
    size_t got = 0;
    EXPECT_TRUE(readBytes(binary, bytes, sizeof bytes, got));
    EXPECT_EQ(std::string(bytes, got), "a\r\nb\rc\x1A" "d\n") << "a binary read sees every byte";
    EXPECT_TRUE(closeFile(binary));

    FileHandle scratch = openFile(file(*w, "__zyntmp.ini").c_str(), "w");
    EXPECT_TRUE(writeText(scratch, "new", 3));
    EXPECT_TRUE(closeFile(scratch));
    EXPECT_EQ(replaceFile(w->iniPath().c_str(), file(*w, "__zyntmp.ini").c_str()), ReplaceOutcome::Replaced);
    EXPECT_EQ(w->readIni(), "new");
    EXPECT_FALSE(fileExists(file(*w, "__zyntmp.ini").c_str())) << "the replacement takes the target's place";
    EXPECT_EQ(w->openFiles(), 0);
}

} // namespace
} // namespace zyn::testing
