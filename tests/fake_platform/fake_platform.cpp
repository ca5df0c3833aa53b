// fake_platform.cpp - the fake world and the platform functions that act on it.
#include "fake_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <unistd.h>

namespace zyn::fake {

namespace {
FakeWorld* current = nullptr;

constexpr const char* kOpNames[] = {
    "Allocate",    "CreateMutex",  "OpenMutex",    "WaitMutex",     "ReleaseMutex", "OpenSection",
    "MapView",     "OpenManager",  "OpenService",  "CreateService", "StartService", "ControlService",
    "QueryStatus", "RegistryOpen", "StartSockets", "Socket",        "UdpExchange",  "FileOpen",
    "FileRead",    "FileWrite",    "FileFlush",    "FileClose",     "FileReplace",  "ExpandWindir",
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

FakeWorld::FakeWorld() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zyn-fake-windir-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    windowsDirectory = made != nullptr ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
}

FakeWorld::~FakeWorld() {
    for (void* file : openFiles_)
        std::fclose(static_cast<FILE*>(file));
    for (void* block : liveBlocks)
        std::free(block);
    std::error_code ignored;
    std::filesystem::remove_all(windowsDirectory, ignored);
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
    return failAlways_.count(index) != 0 || failures_[index].count(call) != 0;
}

void FakeWorld::writeIni(const std::string& content) const {
    std::ofstream out(iniPath(), std::ios::binary);
    out << content;
}

std::string FakeWorld::readIni() const {
    std::ifstream in(iniPath(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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

uint32_t expandWindowsDirectory(char* out, uint32_t capacity) {
    if (world().shouldFail(Op::ExpandWindir)) return 0;
    std::string text = world().windowsDirectoryOverride.value_or(world().windowsDirectory.string());
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
        if (!object.otherReleasesAt) {
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

// ---- files: real files in the world's Windows directory, LF on disk; a CR LF pair reads as LF

namespace {
// The library joins paths with '\\' as on Windows.
std::string hostPath(const char* path) {
    std::string host(path);
    for (char& c : host)
        c = c == '\\' ? '/' : c;
    return host;
}
} // namespace

FileHandle openFile(const char* path, const char* mode) {
    if (world().shouldFail(Op::FileOpen)) return nullptr;
    const std::string_view given(mode);
    const bool text = given.find('b') == std::string_view::npos;
    // Text on disk is the host's: "\n" stays "\n"; the reads below give it the system's meaning.
    const std::string hostMode = text ? std::string(given) + "b" : std::string(given);
    FILE* file = std::fopen(hostPath(path).c_str(), hostMode.c_str());
    if (file != nullptr) {
        world().openFiles_.insert(file);
        if (text) world().textFiles_.insert(file);
    }
    return file;
}

bool readPiece(FileHandle file, char* buffer, int capacity) {
    // A failed read reports nothing read, as fgets does on an error.
    if (world().shouldFail(Op::FileRead)) return false;
    FILE* stream = static_cast<FILE*>(file);
    int length = 0;
    while (length < capacity - 1) {
        int c = std::fgetc(stream);
        if (c == EOF) break;
        // The system's C library ends a text-mode read at a Ctrl-Z, and every read after it.
        if (c == 0x1A && world().textFiles_.count(file) != 0) {
            std::fseek(stream, 0, SEEK_END);
            break;
        }
        if (c == '\r') {
            int next = std::fgetc(stream);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, stream);
            }
        }
        buffer[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[length] = '\0';
    return length > 0;
}

bool readBytes(FileHandle file, void* buffer, size_t capacity, size_t& got) {
    got = 0;
    if (world().shouldFail(Op::FileRead)) return false;
    FILE* stream = static_cast<FILE*>(file);
    got = std::fread(buffer, 1, capacity, stream);
    return got == capacity || std::ferror(stream) == 0;
}

const char* textLineEnd() { return "\n"; }

bool writeText(FileHandle file, const char* text, size_t length) {
    if (world().shouldFail(Op::FileWrite)) return false;
    return std::fwrite(text, 1, length, static_cast<FILE*>(file)) == length;
}

bool flushToDisk(FileHandle file) {
    if (world().shouldFail(Op::FileFlush)) return false;
    return std::fflush(static_cast<FILE*>(file)) == 0;
}

bool closeFile(FileHandle file) {
    bool failed = world().shouldFail(Op::FileClose);
    world().textFiles_.erase(file);
    if (world().openFiles_.erase(file) == 0) {
        world().errors.push_back("close of a file that is not open");
        return false;
    }
    return std::fclose(static_cast<FILE*>(file)) == 0 && !failed;
}

ReplaceOutcome replaceFile(const char* target, const char* replacement) {
    if (world().shouldFail(Op::FileReplace)) return ReplaceOutcome::Failed;
    if (world().configHeldOpen && std::filesystem::path(hostPath(target)) == world().iniPath()) {
        return ReplaceOutcome::TargetInUse;
    }
    return std::rename(hostPath(replacement).c_str(), hostPath(target).c_str()) == 0 ? ReplaceOutcome::Replaced
                                                                                     : ReplaceOutcome::Failed;
}

bool fileExists(const char* path) { return std::filesystem::exists(hostPath(path)); }

} // namespace zyn::platform
