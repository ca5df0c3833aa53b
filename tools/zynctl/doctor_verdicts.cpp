// doctor_verdicts.cpp - the verdict of each check, worded for a user of the library who is not
// its developer: what is wrong in terms of what the user sees, and what to do about it.
#include "doctor_verdicts.h"

#include <utility>

#include "failure.h"
#include "machine_facts.h"
#include "trvzyn32.h"

namespace zynctl::doctor {

namespace {

std::string globalSectionName() { return std::string("Global\\") + kSectionName; }
constexpr char kQueryFunction[] = "ZYN_GetNumberOfExchangesFromService";

CheckLine ok(const char* check, std::string found) { return {check, Status::Ok, std::move(found), {}, {}}; }

CheckLine problem(const char* check, Status status, std::string found, std::string action) {
    return {check, status, std::move(found), std::move(action), {}};
}

// A check that cannot pass while an earlier one fails: failed, since what it checks is not
// there to work with, and pointing at the cause.
CheckLine blocked(const char* check, std::string found, const char* by) {
    return {check, Status::Failed, std::move(found), "fix the '" + std::string(by) + "' line first", by};
}

std::string errorText(const Probe& probe) { return "error " + std::to_string(probe.error); }

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

std::string servicePlaceText(const ServiceFacts& service, const SectionFacts& section, bool& outOfReach) {
    outOfReach = false;
    if (!service.session) return "";
    const uint32_t session = *service.session;
    if (session == 0) return ", in session 0, where services run";
    if (service.ownSession && session == *service.ownSession)
        return ", in this program's session " + std::to_string(session);
    // Objects under "Global\" reach every session; plain names only the service's own.
    outOfReach = sectionNamespace(section) != Namespace::Global;
    return ", in session " + std::to_string(session) + ", neither session 0, where services run, nor this program's";
}

CheckLine serviceLine(const DoctorFacts& facts) {
    const ServiceFacts& service = facts.service;
    switch (service.state) {
    case ServiceState::NotInstalled:
        return problem("service", Status::Failed, "\"ZYN Service\" is not installed",
                       "install it with its setup, or: zynctl service install \"<full path of the service program>\"");
    case ServiceState::Unreadable:
        return problem("service", Status::Failed,
                       "this user may not query \"ZYN Service\" (error " + std::to_string(service.error) +
                           "), so the library takes it for not installed",
                       "have an administrator grant users the right to query the service's status");
    case ServiceState::Stopped:
        return problem("service", Status::Failed, "\"ZYN Service\" is installed but stopped",
                       "start it: zynctl service start");
    case ServiceState::Paused:
        return problem("service", Status::Failed, "\"ZYN Service\" is paused, which the library takes for stopped",
                       "continue it: sc continue \"ZYN Service\"");
    case ServiceState::Pending:
        return problem(
            "service", Status::Failed,
            "\"ZYN Service\" is starting or stopping: the library's calls wait until it has done so",
            "run zynctl doctor again in a moment; a service that stays so needs a restart: zynctl service reset");
    case ServiceState::Running: break;
    }
    bool outOfReach = false;
    const std::string found = "\"ZYN Service\" is running, process " + std::to_string(service.processId) +
                              servicePlaceText(service, facts.section, outOfReach);
    if (!outOfReach) return ok("service", found);
    return problem("service", Status::Warning,
                   found + ": what it creates under plain names is out of this program's reach",
                   "run it as a Windows service, under the Service Control Manager in session 0");
}

CheckLine sectionLine(const DoctorFacts& facts) {
    const SectionFacts& section = facts.section;
    if (section.plain.access == Access::Granted)
        return ok("section", std::string(kSectionName) + " opens for reading and writing");
    if (section.global.access == Access::Granted)
        return ok("section", globalSectionName() +
                                 " opens for reading and writing (the global namespace, as a session-0 service's)");
    for (const auto& [name, probe] :
         {std::pair<std::string, Probe>{kSectionName, section.plain}, {globalSectionName(), section.global}}) {
        if (probe.access == Access::Refused)
            return problem("section", Status::Failed,
                           name + " exists, but refuses this user reading and writing (" + errorText(probe) +
                               "): the service grants too little",
                           "have the service grant users FILE_MAP_READ | FILE_MAP_WRITE on its section");
        if (probe.access == Access::Failed)
            return problem("section", Status::Failed, "opening " + name + " failed (" + errorText(probe) + ")",
                           "restart the service: zynctl service reset");
    }
    const std::string missing = std::string("neither ") + kSectionName + " nor " + globalSectionName() + " exists";
    if (facts.service.state != ServiceState::Running)
        return blocked("section", missing + ": the service is not running", "service");
    return problem("section", Status::Failed,
                   missing + " while the service runs: the library's first call waits 46 s for it",
                   "restart the service: zynctl service reset");
}

std::string notAskedText(LibraryLoad library) {
    return library == LibraryLoad::WaitsForPendingService
               ? "the library's load would wait for the service to start or stop"
               : "the library's load would wait 46 s for a section it cannot open";
}

const char* blockerOf(LibraryLoad library) {
    return library == LibraryLoad::WaitsForPendingService ? "service" : "section";
}

int gravity(const Probe& probe) {
    switch (probe.access) {
    case Access::Refused: return 3;
    case Access::Failed: return 2;
    case Access::Missing: return 1;
    case Access::Granted: break;
    }
    return 0;
}

// The gravest outcome decides the verdict; the line names the first mutex that has it.
CheckLine mutexLine(const DoctorFacts& facts) {
    if (facts.library != LibraryLoad::Quick)
        return blocked("mutexes",
                       "not checked: the exchange table comes from the library, and " + notAskedText(facts.library),
                       blockerOf(facts.library));
    if (!sectionNamespace(facts.section))
        return blocked("mutexes", "not checked: the service's mutexes are where its section is", "section");
    const MutexFacts& mutexes = facts.mutexes;
    if (!mutexes.tableFailure.empty())
        return problem("mutexes", Status::Failed, "the exchange table cannot be had: " + mutexes.tableFailure,
                       "see what zynctl list says");
    if (mutexes.mutexes.empty()) return ok("mutexes", "no exchange is defined, so there is no mutex to open");
    size_t granted = 0;
    for (const NamedProbe& mutex : mutexes.mutexes)
        granted += mutex.probe.access == Access::Granted ? 1 : 0;
    const std::string count = std::to_string(granted) + " of " + std::to_string(mutexes.mutexes.size()) +
                              " exchange mutexes open for waiting and releasing";
    if (granted == mutexes.mutexes.size())
        return ok("mutexes", count + " (the first: " + mutexes.mutexes.front().name + ")");
    const NamedProbe* worst = nullptr;
    for (const NamedProbe& mutex : mutexes.mutexes) {
        if (mutex.probe.access != Access::Granted && (worst == nullptr || gravity(mutex.probe) > gravity(worst->probe)))
            worst = &mutex;
    }
    const std::string first = count + "; " + worst->name;
    switch (worst->probe.access) {
    case Access::Refused:
        return problem("mutexes", Status::Failed,
                       first + " refuses it (" + errorText(worst->probe) + "): the service grants too little",
                       "have the service grant users SYNCHRONIZE | MUTEX_MODIFY_STATE on its exchange mutexes");
    case Access::Failed:
        return problem("mutexes", Status::Failed, first + " cannot be opened (" + errorText(worst->probe) + ")",
                       "restart the service: zynctl service reset");
    default:
        return problem("mutexes", Status::Failed,
                       first + " does not exist, and this program's load of the library could not create it",
                       "restart the service: zynctl service reset");
    }
}

CheckLine configurationLine(const DoctorFacts& facts) {
    const ConfigurationFacts& file = facts.configuration;
    if (file.path.empty())
        return problem("zyn.ini", Status::Failed, "%windir% cannot be expanded, so the library has no path for zyn.ini",
                       "run the program with the Windows environment, where %windir% is set");
    const std::string folder = folderOf(file.path);
    const Probe scratch = file.scratch.value_or(Probe{Access::Granted, 0});
    // A rewrite under way kept the scratch file from being tried; the rest of the answer stands.
    const std::string untried = file.scratch ? "" : " (__zyntmp.ini was not tried: a rewrite was under way)";
    // A missing file reads as one without definitions, and a file the user may not change
    // leaves every reading call working: warnings, as the library still runs.
    if (file.read.access == Access::Missing) {
        if (scratch.access == Access::Granted)
            return problem("zyn.ini", Status::Warning,
                           file.path + " does not exist, so no exchange is defined" + untried,
                           "define the exchanges: zynctl add ...");
        return problem("zyn.ini", Status::Warning,
                       file.path +
                           " does not exist, so no exchange is defined, and this user may not create files in " +
                           folder + " (" + errorText(scratch) + ")",
                       "define the exchanges from an elevated prompt: zynctl add ...");
    }
    if (file.read.access != Access::Granted)
        return problem("zyn.ini", Status::Failed,
                       file.path + " exists, but this user may not read it (" + errorText(file.read) +
                           "): the library loads no definition",
                       "have an administrator grant users read access to " + file.path);
    std::string refusal;
    if (file.write.access != Access::Granted)
        refusal = "change it (" + errorText(file.write) + ")";
    else if (scratch.access != Access::Granted)
        refusal = "create __zyntmp.ini beside it (" + errorText(scratch) + ")";
    if (refusal.empty()) return ok("zyn.ini", file.path + " is readable and writable by this user" + untried);
    return problem("zyn.ini", Status::Warning,
                   file.path + " is readable, but this user may not " + refusal +
                       ": the library's edits of definitions and service parameters fail",
                   "edit it from an elevated prompt, or have an administrator grant users the right to change it "
                   "and to create files in " +
                       folder);
}

CheckLine virtualStoreLine(const DoctorFacts& facts) {
    const VirtualStoreFacts& store = facts.virtualStore;
    if (store.path.empty()) return ok("virtualstore", "this user has no VirtualStore (%LOCALAPPDATA% is not set)");
    if (!store.exists) return ok("virtualstore", "no copy of zyn.ini in this user's VirtualStore");
    return problem("virtualstore", Status::Warning,
                   store.path + " exists: this user's programs that run virtualised read it instead of " +
                       facts.configuration.path,
                   "move the changes you want from it into " + facts.configuration.path +
                       ", delete it, and give those programs a manifest");
}

CheckLine elevationLine(const DoctorFacts& facts) {
    const TokenFacts& token = facts.token;
    const std::string file = facts.configuration.path.empty() ? "zyn.ini" : facts.configuration.path;
    if (token.virtualised)
        return problem("elevation", Status::Warning,
                       "this program runs virtualised: where it writes in the Windows directory, it writes to this "
                       "user's VirtualStore",
                       "run zynctl.exe as it ships, with its manifest");
    if (!token.elevated) return ok("elevation", "this Windows has no elevation, and no program runs virtualised");
    // Elevated answers hide what this check is for: what the user's own programs may do.
    if (*token.elevated)
        return problem("elevation", Status::Warning,
                       "this program runs elevated: the checks show what an administrator may do, not what this "
                       "user's programs may",
                       "run zynctl doctor again from a prompt that is not elevated");
    if (token.uacEnabled && token.virtualisationAllowed)
        return problem("elevation", Status::Warning,
                       "not elevated, and UAC virtualises this user's programs that have no manifest: their changes "
                       "to " +
                           file + " go to a VirtualStore copy that only they read",
                       "give every program that uses the library a manifest (requestedExecutionLevel asInvoker)");
    return ok("elevation", "not elevated; programs without a manifest do not run virtualised");
}

std::string numberText(const std::optional<uint32_t>& value) {
    return value ? std::to_string(*value) : std::string("not set");
}

std::string viewText(const RegistryView& view) {
    return "Third Party Apps Allowed " + numberText(view.thirdPartyAppsAllowed) + ", Max Exchange Size " +
           numberText(view.maxExchangeSize);
}

CheckLine registryLine(const DoctorFacts& facts) {
    const RegistryFacts& registry = facts.registry;
    // Compared as stored: a value set in one view and not in the other differs even where it
    // equals the default, since the next program to read it may not apply the same default.
    if (registry.bits32 == registry.bits64)
        return ok("registry", "both views of HKLM\\Software\\Torvane\\Zynet agree: " + viewText(registry.bits32));
    return problem("registry", Status::Warning,
                   "the views of HKLM\\Software\\Torvane\\Zynet differ: the 32-bit view holds " +
                       viewText(registry.bits32) + ", the 64-bit view " + viewText(registry.bits64) +
                       "; 32-bit and 64-bit programs that read their own view see different settings",
                   "set the same values in both views (in regedit, the 32-bit view is "
                   "HKLM\\Software\\WOW6432Node\\Torvane\\Zynet)");
}

CheckLine queryLine(const DoctorFacts& facts, Status service) {
    if (facts.library != LibraryLoad::Quick)
        return blocked("query", "not asked: " + notAskedText(facts.library), blockerOf(facts.library));
    const int32_t result = facts.serviceQuery;
    if (result >= 0) return ok("query", "the service answered: " + std::to_string(result) + " exchanges");
    const std::string found =
        std::string(kQueryFunction) + ": " + std::to_string(result) + " " + resultMeaning(kQueryFunction, result);
    if ((result == ZYN_E_NOT_INSTALLED || result == ZYN_E_NOT_RUNNING) && service == Status::Failed)
        return blocked("query", found, "service");
    if (result == ZYN_E_UDP)
        return problem("query", Status::Failed, found,
                       "let the service's answer through: UDP port 21586 at the address this computer's name "
                       "resolves to (firewall, hosts file)");
    return problem("query", Status::Failed, found, "restart the service: zynctl service reset");
}

} // namespace

const char* statusName(Status status) {
    switch (status) {
    case Status::Ok: return "ok";
    case Status::Warning: return "warning";
    case Status::Failed: return "failed";
    }
    return "failed";
}

std::vector<CheckLine> diagnose(const DoctorFacts& facts) {
    std::vector<CheckLine> lines{serviceLine(facts),       sectionLine(facts),      mutexLine(facts),
                                 configurationLine(facts), virtualStoreLine(facts), elevationLine(facts),
                                 registryLine(facts)};
    lines.push_back(queryLine(facts, lines.front().status));
    return lines;
}

} // namespace zynctl::doctor
