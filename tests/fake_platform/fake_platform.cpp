// fake_platform.cpp - the fake world and the platform functions that act on it.
#include "fake_platform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

namespace zyn::fake {

namespace {
FakeWorld* current = nullptr;

constexpr const char* kOpNames[] = {
    "Allocate",    "CreateMutex",  "OpenMutex",    "WaitMutex",     "ReleaseMutex", "OpenSection",
    "MapView",     "OpenManager",  "OpenService",  "CreateService", "StartService", "ControlService",
    "QueryStatus", "RegistryOpen", "StartSockets", "Socket",        "UdpExchange",  "FileOpen",
    "FileRead",    "FileWrite",    "FileFlush",    "FileClose",     "FileReplace",  "FileRemove",
    "ExpandWindir",
};
static_assert(std::size(kOpNames) == static_cast<size_t>(Op::Count_), "one name per kind of operation");
} // namespace

const char* opName(Op op) { return kOpNames[static_cast<int>(op)]; }

FakeWorld& world() {
    if (current == nullptr) std::abort(); // a test used the platform outside a FakeWorldScope
    return *current;
}

FakeWorld* worldIfAny() { return current; }

FakeWorldScope::FakeWorldScope() : world_(std::make_unique<FakeWorld>()), outer_(current) { current = world_.get(); }
FakeWorldScope::~FakeWorldScope() {
    current = outer_;
    world_.reset();
}

FakeWorld::FakeWorld() = default;

FakeWorld::~FakeWorld() {
    for (void* block : liveBlocks)
        std::free(block);
}

void FakeWorld::at(uint64_t time, std::function<void()> event) { events_.emplace(time, std::move(event)); }

void FakeWorld::advance(uint64_t milliseconds) {
    uint64_t until = now + milliseconds;
    while (!events_.empty() && events_.begin()->first <= until) {
        auto node = events_.extract(events_.begin());
        now = std::max(now, node.key());
        node.mapped()();
    }
    now = until;
}

void FakeWorld::failCall(Op op, int nth) { failures_[static_cast<int>(op)].insert(calls(op) + nth); }
void FakeWorld::failAllCalls(Op op) { failAlways_.insert(static_cast<int>(op)); }
void FakeWorld::clearFailures() {
    failures_.clear();
    failAlways_.clear();
}

bool FakeWorld::shouldFail(Op op) {
    int index = static_cast<int>(op);
    int call = ++calls_[index];
    if (failAlways_.count(index) != 0) return true;
    auto scheduled = failures_.find(index);
    return scheduled != failures_.end() && scheduled->second.count(call) != 0;
}

std::string FakeWorld::readIni() const {
    auto found = files.find("zyn.ini");
    return found == files.end() ? std::string() : found->second;
}

MutexObject* FakeWorld::mutex(const std::string& name) {
    auto found = mutexes.find(name);
    return found == mutexes.end() ? nullptr : &found->second;
}

SectionObject& FakeWorld::createSection(const std::string& name, size_t size) {
    SectionObject& section = sections[name];
    section.bytes.assign(size, 0);
    return section;
}

FakeService& FakeWorld::installService(const std::string& name, uint32_t state) {
    FakeService& service = services[name];
    service.state = state;
    return service;
}

int FakeWorld::openKernelHandles() const {
    int count = 0;
    for (const auto& [id, record] : handles_)
        count += record.kind == HandleRecord::Mutex || record.kind == HandleRecord::Section;
    return count;
}

int FakeWorld::openServiceHandles() const {
    int count = 0;
    for (const auto& [id, record] : handles_)
        count += record.kind == HandleRecord::Manager || record.kind == HandleRecord::Service;
    return count;
}

platform::Handle FakeWorld::newHandle(HandleRecord record) {
    uintptr_t id = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(id, std::move(record));
    return reinterpret_cast<platform::Handle>(id);
}

FakeWorld::HandleRecord* FakeWorld::lookup(platform::Handle handle) {
    auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    return found == handles_.end() ? nullptr : &found->second;
}

void FakeWorld::invalidateManagerHandles() {
    for (auto& [id, record] : handles_)
        record.invalid = record.invalid || record.kind == HandleRecord::Manager;
}

void FakeWorld::dropHandle(platform::Handle handle) { handles_.erase(reinterpret_cast<uintptr_t>(handle)); }

} // namespace zyn::fake

// ------------------------------------------------------------------------------------------------
namespace zyn::platform {

using fake::Op;
using fake::world;
using Record = fake::FakeWorld::HandleRecord;

bool isNtFamily() { return world().ntFamily; }

bool fileWritesVirtualised() { return world().fileWritesVirtualised; }

uint32_t expandWindowsDirectory(char* out, uint32_t capacity) {
    if (world().shouldFail(Op::ExpandWindir)) return 0;
    std::string text = world().windowsDirectoryOverride.value_or(world().windowsDirectory);
    uint32_t needed = static_cast<uint32_t>(text.size() + 1);
    if (needed <= capacity) std::memcpy(out, text.c_str(), needed);
    return needed;
}

uint32_t lastError() { return world().lastError; }

void sleepMilliseconds(uint32_t milliseconds) {
    if (world().heldExclusively) world().errors.push_back("a pause under the exclusive state lock");
    world().sleeps.push_back(milliseconds);
    world().advance(milliseconds);
}

void* allocateZeroed(uint64_t bytes) {
    if (world().shouldFail(Op::Allocate) || bytes > world().allocationLimit) return nullptr;
    void* block = std::calloc(1, static_cast<size_t>(bytes));
    if (block != nullptr) world().liveBlocks.insert(block);
    return block;
}

void releaseMemory(void* block) {
    if (world().liveBlocks.erase(block) == 0) {
        world().errors.push_back("release of a block the fake did not hand out");
        return;
    }
    std::free(block);
}

// ---- mutexes

Handle createMutex(const char* name) {
    if (world().shouldFail(Op::CreateMutex)) return nullptr;
    if (world().refuseGlobalMutexCreation && std::string_view(name).starts_with("Global\\") &&
        world().mutex(name) == nullptr) {
        return nullptr;
    }
    const bool isNew = world().mutex(name) == nullptr;
    fake::MutexObject& object = world().mutexes[name];
    object.name = name;
    object.onlyOurs = object.onlyOurs || isNew;
    ++object.handles;
    return world().newHandle({Record::Mutex, name});
}

Handle openMutex(const char* name) {
    if (world().shouldFail(Op::OpenMutex)) return nullptr;
    fake::MutexObject* object = world().mutex(name);
    if (object == nullptr) return nullptr;
    ++object->handles;
    return world().newHandle({Record::Mutex, name});
}

uint32_t waitForObject(Handle handle, uint32_t milliseconds) {
    if (world().shouldFail(Op::WaitMutex)) return kWaitFailed;
    Record* record = world().lookup(handle);
    if (record == nullptr || record->kind != Record::Mutex) return kWaitFailed;
    fake::MutexObject& object = *world().mutex(record->name);
    ++object.waits;
    if (object.heldByOther) {
        if (object.abandonedByOther) {
            object.heldByOther = object.abandonedByOther = false;
            ++object.ownedByUs;
            return kWaitAbandoned;
        }
        const bool releasedInTime = object.otherReleasesAt && (milliseconds == kInfinite ||
                                                               *object.otherReleasesAt <= world().now + milliseconds);
        if (!releasedInTime) {
            if (milliseconds != kInfinite) {
                world().advance(milliseconds);
                return kWaitTimeout;
            }
            world().errors.push_back("wait without limit on a mutex that is never released: " + object.name);
            return kWaitFailed;
        }
        if (*object.otherReleasesAt > world().now) world().advance(*object.otherReleasesAt - world().now);
        object.heldByOther = false;
        object.otherReleasesAt.reset();
    }
    ++object.ownedByUs;
    return kWaitObject0;
}

bool releaseMutex(Handle handle) {
    if (world().shouldFail(Op::ReleaseMutex)) return false;
    Record* record = world().lookup(handle);
    if (record == nullptr || record->kind != Record::Mutex) return false;
    fake::MutexObject& object = *world().mutex(record->name);
    if (object.ownedByUs == 0) return false;
    --object.ownedByUs;
    return true;
}

Handle duplicateHandle(Handle handle) {
    if (world().shouldFail(Op::OpenMutex)) return nullptr; // an opening of the mutex, in effect
    Record* record = world().lookup(handle);
    if (record == nullptr || record->kind != Record::Mutex) return nullptr;
    ++world().mutexes[record->name].handles;
    return world().newHandle({Record::Mutex, record->name});
}

void closeHandle(Handle handle) {
    Record* record = world().lookup(handle);
    if (record == nullptr || (record->kind != Record::Mutex && record->kind != Record::Section)) {
        world().errors.push_back("close of an unknown kernel handle");
        return;
    }
    if (record->kind == Record::Mutex) {
        fake::MutexObject& object = world().mutexes[record->name];
        if (--object.handles == 0 && object.onlyOurs && !object.heldByOther) world().mutexes.erase(record->name);
    } else {
        --world().sections[record->name].handles;
    }
    world().dropHandle(handle);
}

// ---- sections

Handle openSection(const char* name) {
    if (world().shouldFail(Op::OpenSection)) return nullptr;
    auto found = world().sections.find(name);
    if (found == world().sections.end()) return nullptr;
    ++found->second.handles;
    return world().newHandle({Record::Section, name});
}

MappedView mapWholeSection(Handle section) {
    MappedView view;
    if (world().shouldFail(Op::MapView)) return view;
    Record* record = world().lookup(section);
    if (record == nullptr || record->kind != Record::Section) return view;
    auto& bytes = world().sections[record->name].bytes;
    view.address = bytes.data();
    view.size = bytes.size();
    ++world().mappedViews;
    return view;
}

void unmapView(void* address) {
    if (address == nullptr || world().mappedViews == 0) {
        world().errors.push_back("unmap of a view that is not mapped");
        return;
    }
    --world().mappedViews;
}

// ---- Service Control Manager

Handle openServiceManager(uint32_t access) {
    world().managerAccesses.push_back(access);
    if (world().shouldFail(Op::OpenManager)) return nullptr;
    return world().newHandle({Record::Manager, ""});
}

namespace {
Handle failedOpen(uint32_t error) {
    world().lastError = error;
    return nullptr;
}
} // namespace

Handle openService(Handle manager, const char* name, uint32_t access) {
    world().serviceAccesses.emplace_back(name, access);
    if (world().shouldFail(Op::OpenService)) return failedOpen(kErrorAccessDenied);
    Record* record = world().lookup(manager);
    if (record == nullptr || record->kind != Record::Manager || record->invalid) return failedOpen(kErrorInvalidHandle);
    auto found = world().services.find(name);
    if (found == world().services.end()) return failedOpen(1060); // ERROR_SERVICE_DOES_NOT_EXIST
    if ((found->second.openAccessDenied & access) != 0) return failedOpen(kErrorAccessDenied);
    return world().newHandle({Record::Service, name});
}

Handle createService(Handle manager, const char* name, const char*, uint32_t access, const char* executablePath) {
    world().serviceAccesses.emplace_back(name, access);
    if (world().shouldFail(Op::CreateService)) return nullptr;
    Record* record = world().lookup(manager);
    if (record == nullptr || record->kind != Record::Manager || world().services.count(name) != 0) return nullptr;
    world().installService(name, kServiceStopped).executablePath = executablePath;
    return world().newHandle({Record::Service, name});
}

namespace {
fake::FakeService* serviceOf(Handle handle) {
    Record* record = world().lookup(handle);
    if (record == nullptr || record->kind != Record::Service) return nullptr;
    auto found = world().services.find(record->name);
    return found == world().services.end() ? nullptr : &found->second;
}
} // namespace

uint32_t startService(Handle handle) {
    if (world().shouldFail(Op::StartService)) return 1053; // ERROR_SERVICE_REQUEST_TIMEOUT
    fake::FakeService* service = serviceOf(handle);
    if (service == nullptr) return kErrorInvalidHandle;
    if (service->startError != 0) return service->startError;
    if (service->state != kServiceStopped) return kErrorServiceAlreadyRunning;
    ++service->starts;
    service->state = kServiceRunning;
    if (service->onStart) service->onStart();
    return 0;
}

uint32_t controlService(Handle handle, uint32_t control, ServiceStatus& status) {
    if (world().shouldFail(Op::ControlService)) return kErrorAccessDenied;
    fake::FakeService* service = serviceOf(handle);
    if (service == nullptr) return kErrorInvalidHandle;
    if (service->controlError != 0) return service->controlError;
    if (control != kServiceControlStop) return 1052; // ERROR_INVALID_SERVICE_CONTROL
    if (service->state == kServiceStopped) return kErrorServiceNotActive;
    ++service->stopControls;
    status.currentState = service->stateAfterStop.value_or(kServiceStopPending);
    service->state = service->stateAfterStop.value_or(kServiceStopped);
    return 0;
}

uint32_t queryServiceStatus(Handle handle, ServiceStatus& status) {
    if (world().heldExclusively) world().errors.push_back("a status query under the exclusive state lock");
    if (world().shouldFail(Op::QueryStatus)) return kErrorInvalidHandle;
    fake::FakeService* service = serviceOf(handle);
    if (service == nullptr) return kErrorInvalidHandle;
    if (!service->queryErrors.empty()) {
        uint32_t error = service->queryErrors.front();
        service->queryErrors.erase(service->queryErrors.begin());
        return error;
    }
    if (!service->queryScript.empty()) {
        status.currentState = service->queryScript.front();
        service->queryScript.erase(service->queryScript.begin());
        return 0;
    }
    status.currentState = service->state;
    return 0;
}

void closeServiceHandle(Handle handle) {
    Record* record = world().lookup(handle);
    if (record == nullptr || (record->kind != Record::Manager && record->kind != Record::Service)) {
        world().errors.push_back("close of an unknown service handle");
        return;
    }
    world().dropHandle(handle);
}

// ---- registry

RegistryRead readMachineValue32(RegistryView view, const char* subkey, const char* valueName, uint32_t& data) {
    RegistryRead result;
    if (world().shouldFail(Op::RegistryOpen)) return result;
    fake::FakeWorld::RegistryKeys& keys = world().registry[view];
    auto key = keys.find(subkey);
    if (key == keys.end()) {
        result.key = RegistryKeyOutcome::Missing;
        return result;
    }
    result.key = RegistryKeyOutcome::Opened;
    auto value = key->second.find(valueName);
    if (value == key->second.end() || value->second.size() > sizeof data) return result;
    std::memcpy(&data, value->second.data(), value->second.size());
    result.valueRead = true;
    return result;
}

// ---- UDP

bool startSockets() { return !world().shouldFail(Op::StartSockets); }

UdpOutcome exchangeDatagramWithLocalHost(uint16_t port, const void* request, size_t requestSize, void* reply,
                                         size_t replyCapacity, uint32_t timeoutMs, size_t& received) {
    received = 0;
    if (world().shouldFail(Op::Socket)) return UdpOutcome::SocketFailed;
    if (world().shouldFail(Op::UdpExchange)) return UdpOutcome::ReceiveFailed;
    fake::UdpPeer& peer = world().udp;
    peer.lastPort = port;
    peer.lastTimeoutMs = timeoutMs;
    if (peer.failWith != UdpOutcome::Received) return peer.failWith;
    const auto* bytes = static_cast<const uint8_t*>(request);
    peer.requests.emplace_back(bytes, bytes + requestSize);
    std::optional<std::vector<uint8_t>> answer = peer.answer ? peer.answer(peer.requests.back()) : std::nullopt;
    if (!answer) {
        world().advance(timeoutMs);
        return UdpOutcome::TimedOut;
    }
    if (answer->size() > replyCapacity) return UdpOutcome::ReceiveFailed;
    if (!answer->empty()) std::memcpy(reply, answer->data(), answer->size());
    received = answer->size();
    return UdpOutcome::Received;
}

// ---- files: in memory, LF on disk; a CR LF pair reads as LF in text mode

namespace {
using OpenFile = fake::FakeWorld::OpenFile;

// The name of the file a path designates in the Windows directory, or nullopt for a path into
// any other folder, which does not exist. The system takes '\\' and '/' alike; the library joins
// paths with '\\' as on Windows.
std::optional<std::string> fileNameOf(std::string_view path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    const std::string_view directory = world().windowsDirectory;
    const auto sameCharacter = [&](char a, char b) { return a == b || (separator(a) && separator(b)); };
    if (path.size() <= directory.size() || !separator(path[directory.size()]) ||
        !std::equal(directory.begin(), directory.end(), path.begin(), sameCharacter)) {
        return std::nullopt;
    }
    const std::string_view name = path.substr(directory.size() + 1);
    if (std::find_if(name.begin(), name.end(), separator) != name.end()) return std::nullopt;
    return std::string(name);
}

OpenFile& openFileOf(FileHandle handle) { return *world().openFiles_.at(handle); }

// Whether this process holds the file open: the system renames it neither over nor away then.
bool isOpen(const std::string& name) {
    auto found = world().files.find(name);
    return found != world().files.end() &&
           std::any_of(world().openFiles_.begin(), world().openFiles_.end(),
                       [&](const auto& open) { return open.second->content == &found->second; });
}
} // namespace

FileHandle openFile(const char* path, const char* mode) {
    if (world().shouldFail(Op::FileOpen)) return nullptr;
    const std::optional<std::string> name = fileNameOf(path);
    const std::string_view given(mode);
    if (!name || name->empty()) return nullptr;
    if (given != "r" && given != "rb" && given != "w" && given != "wb") {
        world().errors.push_back("open with a mode the fake does not know: " + std::string(given));
        return nullptr;
    }
    if (given[0] == 'r' && world().files.count(*name) == 0) return nullptr;
    if (given[0] == 'w' && world().folderReadOnly) return nullptr;
    auto file = std::make_unique<OpenFile>();
    file->content = &world().files[*name];
    if (given[0] == 'w') file->content->clear();
    file->text = given.find('b') == std::string_view::npos;
    FileHandle handle = file.get();
    world().openFiles_.emplace(handle, std::move(file));
    return handle;
}

bool readPiece(FileHandle handle, char* buffer, int capacity) {
    // A failed read reports nothing read, as fgets does on an error.
    if (world().shouldFail(Op::FileRead)) return false;
    OpenFile& file = openFileOf(handle);
    const std::string& content = *file.content;
    int length = 0;
    while (length < capacity - 1 && file.position < content.size()) {
        char c = content[file.position++];
        // The system's C library ends a text-mode read at a Ctrl-Z, and every read after it.
        if (c == '\x1A' && file.text) {
            file.position = content.size();
            break;
        }
        if (c == '\r' && file.position < content.size() && content[file.position] == '\n') {
            c = '\n';
            ++file.position;
        }
        buffer[length++] = c;
        if (c == '\n') break;
    }
    buffer[length] = '\0';
    return length > 0;
}

bool readBytes(FileHandle handle, void* buffer, size_t capacity, size_t& got) {
    got = 0;
    if (world().shouldFail(Op::FileRead)) return false;
    OpenFile& file = openFileOf(handle);
    const std::string& content = *file.content;
    got = std::min(capacity, content.size() - std::min(file.position, content.size()));
    if (got != 0) std::memcpy(buffer, content.data() + file.position, got);
    file.position += got;
    return true;
}

const char* textLineEnd() { return "\n"; }

bool writeText(FileHandle handle, const char* text, size_t length) {
    if (world().shouldFail(Op::FileWrite)) return false;
    OpenFile& file = openFileOf(handle);
    file.content->replace(file.position, length, text, length);
    file.position += length;
    return true;
}

// Nothing to put on a disk: only the failure can be had.
bool flushToDisk(FileHandle) { return !world().shouldFail(Op::FileFlush); }

bool closeFile(FileHandle handle) {
    bool failed = world().shouldFail(Op::FileClose);
    if (world().openFiles_.erase(handle) == 0) {
        world().errors.push_back("close of a file that is not open");
        return false;
    }
    return !failed;
}

ReplaceOutcome replaceFile(const char* target, const char* replacement) {
    if (world().shouldFail(Op::FileReplace)) return ReplaceOutcome::Failed;
    // The system refuses the rename with "access denied", which the library takes for a target
    // held open, as it does on Windows.
    if (world().folderReadOnly) return ReplaceOutcome::TargetInUse;
    const std::optional<std::string> targetName = fileNameOf(target);
    const std::optional<std::string> replacementName = fileNameOf(replacement);
    if (!targetName || !replacementName) return ReplaceOutcome::Failed;
    auto moved = world().files.find(*replacementName);
    if (moved == world().files.end()) return ReplaceOutcome::Failed;
    if ((world().configHeldOpen && *targetName == "zyn.ini") || isOpen(*targetName) || isOpen(*replacementName)) {
        return ReplaceOutcome::TargetInUse;
    }
    std::string content = std::move(moved->second);
    world().files.erase(moved);
    world().files[*targetName] = std::move(content);
    return ReplaceOutcome::Replaced;
}

bool fileExists(const char* path) {
    const std::optional<std::string> name = fileNameOf(path);
    return name && world().files.count(*name) != 0;
}

bool removeFile(const char* path) {
    if (world().shouldFail(Op::FileRemove) || world().folderReadOnly) return false;
    const std::optional<std::string> name = fileNameOf(path);
    if (!name || isOpen(*name)) return false;
    return world().files.erase(*name) != 0;
}

} // namespace zyn::platform
