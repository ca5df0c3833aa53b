// zynctl_doctor_verdicts_test.cpp - the verdicts of `zynctl doctor` for machines that Wine cannot
// be made to be (it refuses no file write, and runs every program elevated and unvirtualised):
// the facts of a healthy machine with one thing changed, and the line that must say so.
#include <gtest/gtest.h>

#include <string>

#include "doctor_verdicts.h"

namespace {

using namespace zynctl::doctor;

DoctorFacts healthyMachine() {
    DoctorFacts facts;
    facts.service = {ServiceState::Running, 0, 612, 0, 1};
    facts.section.plain = {Access::Granted, 0};
    facts.mutexes.mutexes = {{"ZYN_MAP_1-00001", {Access::Granted, 0}}};
    facts.serviceQuery = 1;
    facts.configuration = {
        "C:\\Windows\\zyn.ini", {Access::Granted, 0}, {Access::Granted, 0}, Probe{Access::Granted, 0}};
    facts.virtualStore = {"C:\\Users\\ada\\AppData\\Local\\VirtualStore\\Windows\\zyn.ini", false};
    facts.token = {false, false, false, true};
    return facts;
}

const CheckLine& lineOf(const std::vector<CheckLine>& lines, const std::string& check) {
    for (const CheckLine& line : lines) {
        if (line.check == check) return line;
    }
    throw std::runtime_error("no line for " + check);
}

TEST(ZynctlDoctorVerdicts, AHealthyMachineOfAStandardUserPassesEveryCheck) {
    for (const CheckLine& line : diagnose(healthyMachine()))
        EXPECT_EQ(line.status, Status::Ok) << line.check << ": " << line.found;
}

TEST(ZynctlDoctorVerdicts, WhatOnlyARealWindowsShowsHasItsLine) {
    struct Row {
        const char* what;
        void (*change)(DoctorFacts&);
        const char* check;
        Status status;
        const char* found; // in the line's text
    };
    const Row rows[] = {
        {"zyn.ini refuses this user writing",
         [](DoctorFacts& f) {
             f.configuration.write = {Access::Refused, 5};
         },
         "zyn.ini", Status::Warning, "may not change it (error 5)"},
        {"the Windows directory refuses the scratch file",
         [](DoctorFacts& f) {
             f.configuration.scratch = Probe{Access::Refused, 5};
         },
         "zyn.ini", Status::Warning, "may not create __zyntmp.ini beside it (error 5)"},
        {"zyn.ini refuses this user reading",
         [](DoctorFacts& f) {
             f.configuration.read = {Access::Refused, 5};
         },
         "zyn.ini", Status::Failed, "may not read it (error 5)"},
        {"a standard user whose programs without a manifest are virtualised",
         [](DoctorFacts& f) { f.token.virtualisationAllowed = true; }, "elevation", Status::Warning,
         "go to a VirtualStore copy"},
        {"this program itself runs virtualised", [](DoctorFacts& f) { f.token.virtualised = true; }, "elevation",
         Status::Warning, "this program runs virtualised"},
        {"a service in another user's session with plain names", [](DoctorFacts& f) { f.service.session = 2; },
         "service", Status::Warning, "in session 2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        DoctorFacts facts = healthyMachine();
        row.change(facts);
        const CheckLine line = lineOf(diagnose(facts), row.check);
        EXPECT_EQ(line.status, row.status);
        EXPECT_NE(line.found.find(row.found), std::string::npos) << line.found;
        EXPECT_FALSE(line.action.empty());
    }
}

} // namespace
