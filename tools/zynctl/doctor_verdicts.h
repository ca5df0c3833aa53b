// doctor_verdicts.h - the lines of `zynctl doctor`, judged from the facts alone: each check says
// ok, warning or failed, what it found and, unless ok, the one thing to do about it.
#pragma once

#include <string>
#include <vector>

#include "doctor_facts.h"

namespace zynctl::doctor {

enum class Status { Ok, Warning, Failed };

struct CheckLine {
    std::string check; // service, section, mutexes, zyn.ini, virtualstore, elevation, registry, query
    Status status = Status::Ok;
    std::string found;
    std::string action;    // empty when ok
    std::string blockedBy; // the earlier check whose failure this one follows from, if any
};

// "ok", "warning", "failed"
const char* statusName(Status status);

// One line per check, in the order above.
std::vector<CheckLine> diagnose(const DoctorFacts& facts);

} // namespace zynctl::doctor
