// doctor_user_facts.cpp - this user's side of `zynctl doctor`: what the user may do with zyn.ini,
// a VirtualStore copy of it, the elevation and virtualisation of programs, and the registry
// settings in both views. Nothing here changes a file or a value.
#include "doctor_facts.h"

#include <windows.h>

#include "machine_facts.h"
#include "win32_handle.h"

namespace zynctl::doctor {

namespace {

constexpr char kScratchFileName[] = "__zyntmp.ini";
constexpr char kSettingsKey[] = "Software\\Torvane\\Zynet";
constexpr char kPoliciesKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
// A rewrite holds the zyn.ini mutex for a few milliseconds; longer means a program stuck in one.
constexpr DWORD kIniMutexWaitMilliseconds = 1000;

Probe probeFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
    const UniqueHandle file(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, disposition, flags, nullptr));
    if (file) return {Access::Granted, 0};
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) return {Access::Refused, error};
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {Access::Missing, error};
    return {Access::Failed, error};
}

// Holds the zyn.ini mutex, where the library keeps it, while the scratch file is tried, so
// that the try never meets a rewrite that is under way.
class IniMutexHold {
public:
    IniMutexHold() {
        for (const std::string& name : {std::string(kIniMutexName), "Global\\" + std::string(kIniMutexName)}) {
            mutex_ = UniqueHandle(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
            if (mutex_) break;
        }
        // No mutex, or one this user may not take: no library client is there to meet, or none
        // that can be kept out.
        if (!mutex_) return;
        const DWORD waited = WaitForSingleObject(mutex_.get(), kIniMutexWaitMilliseconds);
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        busy_ = !held_;
    }
    IniMutexHold(const IniMutexHold&) = delete;
    IniMutexHold& operator=(const IniMutexHold&) = delete;
    ~IniMutexHold() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    bool busy() const { return busy_; }

private:
    UniqueHandle mutex_;
    bool held_ = false;
    bool busy_ = false;
};

// The library rewrites zyn.ini by creating __zyntmp.ini beside it and moving it over zyn.ini.
// A scratch file that exists (left by a rewrite that broke off) is opened as the library's
// fopen would, for writing, and not changed; a new one is deleted as its handle closes.
std::optional<Probe> probeScratchFile(const std::string& configurationPath) {
    const std::string scratch = configurationPath.substr(0, configurationPath.rfind('\\') + 1) + kScratchFileName;
    const IniMutexHold hold;
    if (hold.busy()) return std::nullopt;
    const Probe created =
        probeFile(scratch, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    if (created.error != ERROR_FILE_EXISTS) return created;
    return probeFile(scratch, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

std::optional<DWORD> tokenNumber(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD value = 0;
    DWORD size = 0;
    if (!GetTokenInformation(token, kind, &value, sizeof value, &size)) return std::nullopt;
    return value;
}

std::optional<uint32_t> machineNumber(HKEY key, const char* valueName) {
    DWORD value = 0;
    DWORD size = sizeof value;
    // A value too long for a number leaves the call with ERROR_MORE_DATA.
    if (RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

RegistryView readView(REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return {};
    const RegistryKey key(opened);
    return {machineNumber(key.get(), "Third Party Apps Allowed"), machineNumber(key.get(), "Max Exchange Size")};
}

// Without the policy value (Windows before Vista) there is no UAC. The 64-bit view is where
// the system keeps it; 32-bit Windows ignores the flag.
bool uacEnabled() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPoliciesKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return false;
    const RegistryKey key(opened);
    const std::optional<uint32_t> enabled = machineNumber(key.get(), "EnableLUA");
    return enabled.value_or(0) != 0;
}

} // namespace

ConfigurationFacts gatherConfigurationFacts() {
    ConfigurationFacts facts;
    facts.path = configurationFilePath();
    if (facts.path.empty()) return facts;
    facts.read = probeFile(facts.path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    // DELETE as well: the library's rewrite moves the new file over this one.
    if (facts.read.access != Access::Missing)
        facts.write = probeFile(facts.path, GENERIC_WRITE | DELETE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    facts.scratch = probeScratchFile(facts.path);
    return facts;
}

VirtualStoreFacts gatherVirtualStoreFacts(const std::string& configurationPath) {
    VirtualStoreFacts facts;
    char localAppData[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", localAppData, sizeof localAppData);
    const size_t drive = configurationPath.find(':');
    if (length == 0 || length >= sizeof localAppData || drive == std::string::npos) return facts;
    // The Windows directory's path without its drive, under the user's VirtualStore folder.
    facts.path = std::string(localAppData) + "\\VirtualStore" + configurationPath.substr(drive + 1);
    facts.exists = GetFileAttributesA(facts.path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return facts;
}

// A Windows that does not know a token class refuses the query: no elevation, and no
// virtualisation, is what such a Windows has.
TokenFacts gatherTokenFacts() {
    TokenFacts facts;
    facts.uacEnabled = uacEnabled();
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return facts;
    const UniqueHandle token(opened);
    if (const std::optional<DWORD> elevated = tokenNumber(token.get(), TokenElevation)) facts.elevated = *elevated != 0;
    facts.virtualisationAllowed = tokenNumber(token.get(), TokenVirtualizationAllowed).value_or(0) != 0;
    facts.virtualised = tokenNumber(token.get(), TokenVirtualizationEnabled).value_or(0) != 0;
    return facts;
}

RegistryFacts gatherRegistryFacts() { return {readView(KEY_WOW64_32KEY), readView(KEY_WOW64_64KEY)}; }

} // namespace zynctl::doctor
