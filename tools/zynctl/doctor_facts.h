// doctor_facts.h - what `zynctl doctor` finds on the machine, as plain values. The gathering
// (doctor_service_facts.cpp, doctor_user_facts.cpp) makes the Win32 and library calls; the
// verdicts (doctor_verdicts.cpp) only read these values, so that they can be tested for
// machines that Wine cannot be made to be: a zyn.ini this user may not write, a virtualised
// program, a standard user under UAC.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace zynctl::doctor {

// How opening an existing file or named object, with the access the library needs, went.
enum class Access { Granted, Refused, Missing, Failed };

struct Probe {
    Access access = Access::Missing;
    uint32_t error = 0; // the system's error code when not granted
};

enum class ServiceState { NotInstalled, Unreadable, Stopped, Paused, Pending, Running };

struct ServiceFacts {
    ServiceState state = ServiceState::NotInstalled;
    uint32_t error = 0;                 // why the state could not be read (Unreadable)
    uint32_t processId = 0;             // while running
    std::optional<uint32_t> session;    // of the service's process, where the system tells it
    std::optional<uint32_t> ownSession; // of this program
};

// The section as the library looks for it: the plain name first, then under "Global\".
struct SectionFacts {
    Probe plain;
    Probe global;
};

// Where the library finds the section: where it opens, else where it exists but refuses.
enum class Namespace { Plain, Global };
inline std::optional<Namespace> sectionNamespace(const SectionFacts& section) {
    for (Access access : {Access::Granted, Access::Refused}) {
        if (section.plain.access == access) return Namespace::Plain;
        if (section.global.access == access) return Namespace::Global;
    }
    return std::nullopt;
}

// Whether the library could be asked at all: its load, at the first call, waits while the
// service is pending, and up to 46 s for the section of a running service.
enum class LibraryLoad { Quick, WaitsForPendingService, WaitsForSection };

struct NamedProbe {
    std::string name;
    Probe probe;
};

struct MutexFacts {
    std::string tableFailure;        // the library's refusal to hand out the exchange table
    std::vector<NamedProbe> mutexes; // one per mutex name, in table order
};

struct ConfigurationFacts {
    std::string path; // %windir%\zyn.ini; empty when %windir% cannot be expanded
    Probe read;
    Probe write; // zyn.ini opened for writing and replacing, and closed at once
    // __zyntmp.ini created beside it (and gone at once); nothing when another program held the
    // zyn.ini mutex for a rewrite all the while.
    std::optional<Probe> scratch;
};

struct VirtualStoreFacts {
    std::string path; // this user's copy of zyn.ini; empty when %LOCALAPPDATA% is not set
    bool exists = false;
};

struct TokenFacts {
    std::optional<bool> elevated; // nothing on a Windows without elevation
    bool virtualised = false;     // this program's own writes are redirected
    bool virtualisationAllowed = false;
    bool uacEnabled = false;
};

// One registry view of HKLM\Software\Torvane\Zynet; nothing for a value not set, or not a
// number of at most 4 bytes.
struct RegistryView {
    std::optional<uint32_t> thirdPartyAppsAllowed;
    std::optional<uint32_t> maxExchangeSize;
    bool operator==(const RegistryView&) const = default;
};

struct RegistryFacts {
    RegistryView bits32;
    RegistryView bits64;
};

struct DoctorFacts {
    ServiceFacts service;
    SectionFacts section;
    LibraryLoad library = LibraryLoad::Quick;
    MutexFacts mutexes;       // when the library could be asked and the section was found
    int32_t serviceQuery = 0; // ZYN_GetNumberOfExchangesFromService, when the library could be asked
    ConfigurationFacts configuration;
    VirtualStoreFacts virtualStore;
    TokenFacts token;
    RegistryFacts registry;
};

DoctorFacts gatherFacts();

// The parts that concern this user rather than the service (doctor_user_facts.cpp).
ConfigurationFacts gatherConfigurationFacts();
VirtualStoreFacts gatherVirtualStoreFacts(const std::string& configurationPath);
TokenFacts gatherTokenFacts();
RegistryFacts gatherRegistryFacts();

} // namespace zynctl::doctor
