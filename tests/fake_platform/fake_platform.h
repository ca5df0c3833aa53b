// fake_platform.h - a deterministic stand-in for the operating system, for the native tests:
// virtual time, a scriptable Service Control Manager, in-memory mutexes and sections, a registry
// map, a scripted UDP peer, files held in memory in the world's one folder (its Windows
// directory), and failure of the Nth call of any kind of operation.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zyn::fake {

// The kinds of operation whose calls are counted and can be made to fail.
enum class Op {
    Allocate,
    CreateMutex,
    OpenMutex,
    WaitMutex,
    ReleaseMutex,
    OpenSection,
    MapView,
    OpenManager,
    OpenService,
    CreateService,
    StartService,
    ControlService,
    QueryStatus,
    RegistryOpen,
    StartSockets,
    Socket,
    UdpExchange,
    FileOpen,
    FileRead,
    FileWrite,
    FileFlush,
    FileClose,
    FileReplace,
    FileRemove,
    ExpandWindir,
    Count_
};
// The kind as it is spelled above, for failure messages.
const char* opName(Op op);

struct MutexObject {
    std::string name;
    int handles = 0;
    int ownedByUs = 0;                       // recursion count of this process's thread
    bool heldByOther = false;                // another process holds it; a wait blocks until it lets go
    bool abandonedByOther = false;           // the other holder died: the next wait gets it as abandoned
    std::optional<uint64_t> otherReleasesAt; // virtual time at which the other holder lets go
    int waits = 0;
    // Made by this process's creation: it goes with this process's last handle. A mutex a test
    // puts in the world stands for one another process keeps open, and stays.
    bool onlyOurs = false;
};

struct SectionObject {
    std::vector<uint8_t> bytes;
    int handles = 0;
};

struct FakeService {
    std::string executablePath;
    uint32_t state = platform::kServiceStopped;
    // States answered by the next status queries, one each, before `state` is answered again.
    std::vector<uint32_t> queryScript;
    // Errors returned by the next status queries, before the script and the state.
    std::vector<uint32_t> queryErrors;
    uint32_t startError = 0;                // non-zero: StartService fails with it
    uint32_t controlError = 0;              // non-zero: ControlService fails with it
    std::optional<uint32_t> stateAfterStop; // the state the stop control reports (default: stop pending, then stopped)
    std::function<void()> onStart;          // run when a start is accepted
    uint32_t openAccessDenied = 0;          // rights for which opening the service is refused
    int starts = 0;
    int stopControls = 0;
};

struct UdpPeer {
    // Answers one request; nullopt means the peer stays silent (the wait times out).
    std::function<std::optional<std::vector<uint8_t>>(const std::vector<uint8_t>&)> answer;
    std::vector<std::vector<uint8_t>> requests;
    uint16_t lastPort = 0;
    uint32_t lastTimeoutMs = 0;
    platform::UdpOutcome failWith = platform::UdpOutcome::Received; // anything else: that failure
};

class FakeWorld {
public:
    FakeWorld();
    ~FakeWorld();

    // ---- time
    uint64_t now = 0; // virtual milliseconds
    std::vector<uint32_t> sleeps;
    void at(uint64_t time, std::function<void()> event);
    void advance(uint64_t milliseconds);

    // ---- failure injection and counts
    void failCall(Op op, int nth); // the nth call (1-based) from now on of this kind fails
    void failAllCalls(Op op);
    void clearFailures(); // drops every failure scheduled or made permanent so far
    int calls(Op op) const { return calls_[static_cast<int>(op)]; }
    bool shouldFail(Op op); // counts the call

    // ---- environment
    bool ntFamily = true;
    // The process token has UAC file virtualisation on (a program without a manifest, not elevated).
    bool fileWritesVirtualised = false;
    // The world's one folder: a path to a file anywhere else names nothing that can be opened.
    std::string windowsDirectory = "C:\\WINDOWS";
    std::optional<std::string> windowsDirectoryOverride; // expands to this text instead
    std::string pathOf(const std::string& fileName) const { return windowsDirectory + "\\" + fileName; }
    std::string iniPath() const { return pathOf("zyn.ini"); }
    void writeIni(const std::string& content) { files["zyn.ini"] = content; }
    std::string readIni() const; // empty when there is no zyn.ini

    // ---- heap
    uint64_t allocationLimit = uint64_t{1} << 30; // larger requests fail, as in a 32-bit process
    std::set<void*> liveBlocks;

    // ---- kernel objects
    std::map<std::string, MutexObject> mutexes;
    bool refuseGlobalMutexCreation = false; // a policy that lets no session create "Global\\" mutexes
    std::map<std::string, SectionObject> sections;
    MutexObject* mutex(const std::string& name);
    SectionObject& createSection(const std::string& name, size_t size);
    int openKernelHandles() const;
    int mappedViews = 0;

    // ---- Service Control Manager
    std::map<std::string, FakeService> services;
    FakeService& installService(const std::string& name, uint32_t state);
    int openServiceHandles() const;
    std::vector<uint32_t> managerAccesses;
    // Every manager handle open now becomes one the system calls invalid, as after a restart of
    // the Service Control Manager: opening a service through it fails with that error.
    void invalidateManagerHandles();
    uint32_t lastError = 0; // of the last failed open
    std::vector<std::pair<std::string, uint32_t>> serviceAccesses;

    // ---- registry: values under HKEY_LOCAL_MACHINE in each view, keyed by subkey then value name
    using RegistryKeys = std::map<std::string, std::map<std::string, std::vector<uint8_t>>>;
    std::map<platform::RegistryView, RegistryKeys> registry;

    UdpPeer udp;

    // ---- the state lock: how often it was taken exclusively, and whether it is held so now
    int exclusiveLocks = 0;
    bool heldExclusively = false;
    // Runs once, before the next exclusive hold: another thread's call that gets there first.
    std::function<void()> beforeNextExclusiveLock;
    // Locks made while it is set take turns, as the fallback of systems before Vista does.
    bool fallbackThreadSync = false;

    // ---- files: the Windows directory's, by name, their bytes as they are on disk (LF line ends)
    std::map<std::string, std::string> files;
    int openFiles() const { return static_cast<int>(openFiles_.size()); }
    // Another program holds zyn.ini open as an ordinary reader: a rename over it is refused, as
    // it is over or away from any file this process holds open.
    bool configHeldOpen = false;
    // The folder as a standard user has the Windows directory: every file in it reads, and none
    // can be created, written, replaced or removed.
    bool folderReadOnly = false;

    // Misuse seen by the fake (a handle closed twice, an unknown handle): tests expect none.
    std::vector<std::string> errors;

    // ---- used by the platform functions
    struct HandleRecord {
        enum Kind { Mutex, Section, Manager, Service } kind;
        std::string name;
        bool invalid = false; // a manager handle the system no longer honours
    };
    platform::Handle newHandle(HandleRecord record);
    HandleRecord* lookup(platform::Handle handle);
    void dropHandle(platform::Handle handle);
    struct OpenFile {
        std::string* content = nullptr; // in `files`, whose entry stays while the file is open
        size_t position = 0;
        bool text = false; // opened in a text mode
    };
    // By the handle the library holds, which is the record's address.
    std::map<const void*, std::unique_ptr<OpenFile>> openFiles_;

private:
    int calls_[static_cast<int>(Op::Count_)] = {};
    std::map<int, std::set<int>> failures_; // op -> call numbers that fail
    std::set<int> failAlways_;
    std::multimap<uint64_t, std::function<void()>> events_;
    std::map<uintptr_t, HandleRecord> handles_;
    uintptr_t nextHandle_ = 0x1000;
};

// The world the platform functions act on; tests create one per case through FakeWorldScope.
FakeWorld& world();
// The same, or null outside every scope (the library's state is built before any test runs).
FakeWorld* worldIfAny();

// Scopes nest: a test that runs many cases, each in a fresh world, gets its own world back at
// the end of each.
class FakeWorldScope {
public:
    FakeWorldScope();
    ~FakeWorldScope();
    FakeWorldScope(const FakeWorldScope&) = delete;
    FakeWorldScope& operator=(const FakeWorldScope&) = delete;
    FakeWorld& operator*() { return *world_; }
    FakeWorld* operator->() { return world_.get(); }

private:
    std::unique_ptr<FakeWorld> world_;
    FakeWorld* outer_;
};

} // namespace zyn::fake
