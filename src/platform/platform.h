// platform.h - every operating-system operation the library uses, in the library's own words.
// Two implementations exist, chosen at link time: win32/ (the real calls) and the fake platform
// of the native tests. Nothing else in the library talks to the operating system.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyn::platform {

// An opaque kernel or service handle; null means "none".
using Handle = void*;

constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Results of waitForObject, with the values the system gives them.
constexpr uint32_t kWaitObject0 = 0x0;
constexpr uint32_t kWaitAbandoned = 0x80;
constexpr uint32_t kWaitTimeout = 0x102;
constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;

// Access rights, controls and states of the Service Control Manager, with the system's values.
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kScManagerAllAccess = 0xF003F;
constexpr uint32_t kServiceAllAccess = 0xF01FF;
constexpr uint32_t kServiceQueryStatus = 0x4;
constexpr uint32_t kServiceStart = 0x10;
constexpr uint32_t kServiceStop = 0x20;
constexpr uint32_t kServiceControlStop = 1;
// The states run from 1 in this order.
enum ServiceState : uint32_t {
    kServiceStopped = 1,
    kServiceStartPending,
    kServiceStopPending,
    kServiceRunning,
    kServiceContinuePending,
    kServicePausePending,
    kServicePaused,
};

// System error codes the library acts on.
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorServiceAlreadyRunning = 1056;
constexpr uint32_t kErrorServiceNotActive = 1062;

// ---- process environment -------------------------------------------------------------------

// False only when the version query succeeds and names a platform outside the NT family.
bool isNtFamily();

// Expands "%windir%" into out. Returns what the system returns: 0 on failure, otherwise the
// number of characters the full expansion needs including its terminator (which may exceed
// capacity, in which case out holds no usable path).
uint32_t expandWindowsDirectory(char* out, uint32_t capacity);

// The error code of the last failed call of this thread.
uint32_t lastError();

// Every wait and pause of the library goes through here, so tests run them in virtual time.
void sleepMilliseconds(uint32_t milliseconds);

// Whether this process's writes to the Windows directory would go to a per-user copy instead
// (UAC file virtualisation: a program without a manifest, not elevated). False where the system
// has no virtualisation or the query fails.
bool fileWritesVirtualised();

// ---- threads -------------------------------------------------------------------------------

// Room for what the lock objects below hold; each implementation checks that its parts fit.
constexpr size_t kLockStorageBytes = 128;

// A lock that any number of threads hold together (shared) or one thread holds alone
// (exclusive): a slim reader-writer lock where the system has one, otherwise a critical section,
// with which sharing threads take turns. No thread may take it twice.
class ReaderWriterLock {
public:
    ReaderWriterLock();
    ~ReaderWriterLock();
    ReaderWriterLock(const ReaderWriterLock&) = delete;
    ReaderWriterLock& operator=(const ReaderWriterLock&) = delete;

    void lockShared();
    void unlockShared();
    void lockExclusive();
    void unlockExclusive();

private:
    alignas(16) unsigned char storage_[kLockStorageBytes];
};

// Runs a routine once in its lifetime: the first caller runs it on its own thread, and a thread
// that calls meanwhile waits until it has run. The system's one-time initialisation where it has
// one, otherwise a critical section.
class OneTimeStart {
public:
    OneTimeStart();
    ~OneTimeStart();
    OneTimeStart(const OneTimeStart&) = delete;
    OneTimeStart& operator=(const OneTimeStart&) = delete;

    void run(void (*routine)(void* context), void* context);

private:
    alignas(16) unsigned char storage_[kLockStorageBytes];
};

// ---- heap ----------------------------------------------------------------------------------

// Zero-filled block from the process heap, or null (also for sizes this process cannot address).
void* allocateZeroed(uint64_t bytes);
void releaseMemory(void* block);

// ---- named mutexes -------------------------------------------------------------------------

// Creates the named mutex (default security, not owned) or opens it when it exists; null on failure.
Handle createMutex(const char* name);
// Opens an existing named mutex for waiting and releasing; null on failure.
Handle openMutex(const char* name);
uint32_t waitForObject(Handle handle, uint32_t milliseconds);
bool releaseMutex(Handle handle);
// A second handle of this process on the same object, closed on its own; null on failure.
Handle duplicateHandle(Handle handle);
void closeHandle(Handle handle);

// ---- shared memory -------------------------------------------------------------------------

// Opens the named section for reading and writing, all that a view needs and all that a service
// grants its clients; not inheritable; null on failure.
Handle openSection(const char* name);

struct MappedView {
    uint8_t* address = nullptr; // null when mapping failed
    size_t size = 0;            // bytes of the view that are accessible
};
// Maps the whole section for reading and writing.
MappedView mapWholeSection(Handle section);
void unmapView(void* address);

// ---- Service Control Manager ---------------------------------------------------------------

struct ServiceStatus {
    uint32_t serviceType = 0;
    uint32_t currentState = 0;
    uint32_t controlsAccepted = 0;
    uint32_t win32ExitCode = 0;
    uint32_t serviceSpecificExitCode = 0;
    uint32_t checkPoint = 0;
    uint32_t waitHint = 0;
};

// Opening calls return null on failure (lastError() then says why); the others return 0 on
// success or the system error code.
Handle openServiceManager(uint32_t access);
Handle openService(Handle manager, const char* name, uint32_t access);
// Creates a demand-start, own-process service running as the local system account.
Handle createService(Handle manager, const char* name, const char* displayName, uint32_t access,
                     const char* executablePath);
uint32_t startService(Handle service);
uint32_t controlService(Handle service, uint32_t control, ServiceStatus& status);
uint32_t queryServiceStatus(Handle service, ServiceStatus& status);
void closeServiceHandle(Handle handle);

// ---- registry ------------------------------------------------------------------------------

// The two views of HKEY_LOCAL_MACHINE\Software on 64-bit Windows; a Windows without 64-bit
// programs has only one, which both name.
enum class RegistryView { Bits32, Bits64 };

enum class RegistryKeyOutcome {
    Opened,
    Missing, // the key does not exist in that view
    Refused, // the key could not be opened for another reason (access, resources)
};
struct RegistryRead {
    RegistryKeyOutcome key = RegistryKeyOutcome::Refused;
    bool valueRead = false;
};
// Reads at most 4 bytes of a value under HKEY_LOCAL_MACHINE\subkey, in the given view, over
// data (little-endian); a value longer than 4 bytes is not read and leaves data as it was.
RegistryRead readMachineValue32(RegistryView view, const char* subkey, const char* valueName, uint32_t& data);

// ---- UDP -----------------------------------------------------------------------------------

// Starts Windows Sockets 1.1; true when the version granted is exactly 1.1.
bool startSockets();

enum class UdpOutcome {
    Received,     // one datagram, of `received` bytes, is in the reply buffer
    SocketFailed, // socket creation
    NoHostName,   // gethostname
    NoAddress,    // gethostbyname
    ConnectFailed,
    SendFailed,
    ReceiveFailed, // includes a datagram longer than the reply buffer
    TimedOut,
};
// Sends one datagram to `port` on the first IPv4 address the local host name resolves to and
// receives one reply (at most replyCapacity bytes) on the same socket within `timeoutMs`.
UdpOutcome exchangeDatagramWithLocalHost(uint16_t port, const void* request, size_t requestSize, void* reply,
                                         size_t replyCapacity, uint32_t timeoutMs, size_t& received);

// ---- files ---------------------------------------------------------------------------------

// Files of the C library. In the text modes "r" and "w", "\n" in memory is the platform's line
// end on disk, a CR LF pair on disk reads as "\n" whichever platform wrote it, and a Ctrl-Z byte
// ends what a read sees, as the C library of the system has it. The binary modes "rb" and "wb"
// move every byte as it is: the rewrites of zyn.ini copy what they do not change that way.
using FileHandle = void*;

// Null on failure.
FileHandle openFile(const char* path, const char* mode);
// Reads one piece as fgets does: up to the next "\n" (kept) or capacity - 1 characters. False at end.
bool readPiece(FileHandle file, char* buffer, int capacity);
// Reads up to `capacity` bytes into `buffer`; `got` is 0 at the end. False on a read error.
bool readBytes(FileHandle file, void* buffer, size_t capacity, size_t& got);
bool writeText(FileHandle file, const char* text, size_t length);
// The bytes a text-mode "\n" becomes on this platform's disk, for text written in binary mode.
const char* textLineEnd();
// Flushes the C library's buffer and asks the system to put the data on disk.
bool flushToDisk(FileHandle file);
// False when the final flush failed.
bool closeFile(FileHandle file);

enum class ReplaceOutcome {
    Replaced,
    TargetInUse, // another program holds the target open without sharing its deletion
    Failed,
};
// Puts `replacement` in the place of `target` in one step: afterwards `target` names either its
// old or its new content, never a mixture. `target` need not exist. Nothing changes unless the
// outcome is Replaced.
ReplaceOutcome replaceFile(const char* target, const char* replacement);
bool fileExists(const char* path);
// False when the file could not be removed (a file that does not exist is not removed either).
bool removeFile(const char* path);

} // namespace zyn::platform
