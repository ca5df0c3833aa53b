// doctor_command.cpp - `zynctl doctor`: why the library does not work for this user, one line
// per check, or the same as one JSON document.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "doctor_facts.h"
#include "doctor_verdicts.h"
#include "failure.h"
#include "json.h"

namespace zynctl {

namespace {

// Qualified names: the sources are compiled as one, and zynctl has a Status of its own.
size_t countOf(const std::vector<doctor::CheckLine>& lines, doctor::Status status) {
    return static_cast<size_t>(std::count_if(
        lines.begin(), lines.end(), [status](const doctor::CheckLine& line) { return line.status == status; }));
}

std::string plural(size_t count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// "warning  zyn.ini       what was found -> what to do", statuses and checks in columns.
void printLines(const std::vector<doctor::CheckLine>& lines) {
    size_t width = 0;
    for (const doctor::CheckLine& line : lines)
        width = std::max(width, line.check.size());
    for (const doctor::CheckLine& line : lines) {
        std::string text = line.found;
        if (!line.action.empty()) text += " -> " + line.action;
        std::printf("%-8s %-*s  %s\n", doctor::statusName(line.status), static_cast<int>(width), line.check.c_str(),
                    text.c_str());
    }
    std::printf("%s failed, %s\n", std::to_string(countOf(lines, doctor::Status::Failed)).c_str(),
                plural(countOf(lines, doctor::Status::Warning), "warning").c_str());
}

Json textOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

Json doctorJson(const std::vector<doctor::CheckLine>& lines) {
    Json::Array checks;
    for (const doctor::CheckLine& line : lines) {
        checks.emplace_back(Json::Object{
            {"check", line.check},
            {"status", doctor::statusName(line.status)},
            {"found", line.found},
            {"action", textOrNull(line.action)},
            {"blockedBy", textOrNull(line.blockedBy)},
        });
    }
    return Json::Object{
        {"checks", std::move(checks)},
        {"failed", countOf(lines, doctor::Status::Failed)},
        {"warnings", countOf(lines, doctor::Status::Warning)},
    };
}

void runDoctor(bool json) {
    const std::vector<doctor::CheckLine> lines = doctor::diagnose(doctor::gatherFacts());
    if (json)
        printJson(doctorJson(lines));
    else
        printLines(lines);
    const size_t failed = countOf(lines, doctor::Status::Failed);
    if (failed > 0) throw Failure("zynctl doctor: " + plural(failed, "check") + " failed");
}

} // namespace

void addDoctorCommand(CLI::App& app, Action& chosen) {
    auto json = std::make_shared<bool>(false);
    CLI::App* command = addCommand(app, chosen, "doctor",
                                   "tell why the library does not work for this user: one line per check, each ok, "
                                   "warning or failed, with what was found and what to do",
                                   [json] { runDoctor(*json); });
    addJsonFlag(*command, *json);
    command->footer(
        "Checks, in this order:\n"
        "  service       \"ZYN Service\" is installed and running, and in which session\n"
        "  section       ZYN_MAP_1 (or Global\\ZYN_MAP_1) opens for reading and writing\n"
        "  mutexes       every defined exchange's mutex opens for waiting and releasing\n"
        "  zyn.ini       %windir%\\zyn.ini exists, and this user may read and change it\n"
        "  virtualstore  no VirtualStore copy of zyn.ini that virtualised programs would read instead\n"
        "  elevation     this program is not elevated, and programs without a manifest are not virtualised\n"
        "  registry      the 32-bit and 64-bit views of HKLM\\Software\\Torvane\\Zynet hold the same settings\n"
        "  query         the service answers the library's UDP query\n"
        "A check that cannot pass while an earlier one fails says so. Nothing is changed and nothing waits "
        "for the service; the query waits up to 2 s for its answer.\n"
        "--json prints "
        "{\"checks\":[{\"check\",\"status\",\"found\",\"action\",\"blockedBy\"}...],\"failed\",\"warnings\"}.\n"
        "Exit status: 0 when no check failed (warnings allowed), 1 otherwise.");
}

} // namespace zynctl
