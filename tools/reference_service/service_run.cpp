// service_run.cpp - the run sequence: configuration, mutexes and UDP responder before RUNNING is
// reported (so that a client that sees RUNNING finds them), the section after it (as the real
// service may take a while), then the fault-injection steps, then the wait for stop.
#include "service_run.h"

#include <cstdio>
#include <string>

#include "configuration.h"
#include "exchange_mutexes.h"
#include "exchange_section.h"
#include "object_security.h"
#include "query_reply.h"
#include "query_responder.h"
#include "section_plan.h"

namespace zyn::reference {

namespace {

// Exit code of a process ended by --exit-holding, so that it is recognisable in a debugger.
constexpr UINT kExitHoldingCode = 3;

// Sleeps `milliseconds` unless the stop comes first; true when it did not.
bool pauseUnlessStopped(HANDLE stopRequested, DWORD milliseconds) {
    return WaitForSingleObject(stopRequested, milliseconds) == WAIT_TIMEOUT;
}

// Takes the mutex, waiting as long as another process holds it, unless the stop comes first.
bool takeUnlessStopped(HANDLE mutex, HANDLE stopRequested) {
    const HANDLE handles[] = {mutex, stopRequested};
    DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}

void note(StatusSink& sink, const std::string& text) { sink.note(text.c_str()); }

DWORD stopping(StatusSink& sink) {
    sink.stopPending();
    return 0;
}

// Everything the service holds while it runs; it is released, in reverse order, before the
// stopped report.
DWORD runHolding(const Options& options, HANDLE stopRequested, StatusSink& sink) {
    const ObjectNames names(options.globalNames);
    ObjectSecurity security;
    if (DWORD error = security.build(options.security)) {
        note(sink, "cannot build the security descriptors, error " + std::to_string(error));
        return error;
    }
    const std::string path = configurationPath();
    const Configuration configuration = readConfiguration(path, names.iniMutex(), security.mutexes());
    note(sink, path + ": " + std::to_string(configuration.records.size()) + " exchange record(s), " +
                   (configuration.params.exchMap == 0 ? "fixed" : "packed") + " page layout");
    const SectionPlan plan = planSection(configuration);
    ExchangeMutexes mutexes(plan, names, security.mutexes());

    QueryResponder responder;
    if (DWORD error = responder.start(buildQueryReply(configuration.records, options.reply, options.replyCount))) {
        note(sink, "cannot answer on UDP port 21586, error " + std::to_string(error));
        return error;
    }
    if (!pauseUnlessStopped(stopRequested, options.startDelayMs)) return stopping(sink);
    sink.running();

    if (!pauseUnlessStopped(stopRequested, options.sectionDelayMs)) return stopping(sink);
    ExchangeSection section;
    if (options.createSection) {
        const int64_t bytes = options.sectionBytes ? static_cast<int64_t>(*options.sectionBytes) : plan.requiredBytes;
        if (DWORD error =
                section.create(names.section(), bytes > 0 ? static_cast<uint64_t>(bytes) : 0, security.section())) {
            note(sink,
                 "cannot create the section of " + std::to_string(bytes) + " bytes, error " + std::to_string(error));
            return error;
        }
        const size_t filled = section.fill(configuration, plan);
        note(sink, "section " + names.section() + ": " + std::to_string(section.usableBytes()) + " bytes, " +
                       std::to_string(filled) + " page(s) filled");
    }

    if (options.exitHolding) {
        win32::KernelHandle mutex = openExchangeMutex(names, *options.exitHolding, security.mutexes());
        if (mutex && takeUnlessStopped(mutex.get(), stopRequested)) {
            note(sink, "ending the process while holding the mutex");
            std::fflush(stdout);
            // Nothing is released and nothing reported: the system abandons the mutex.
            TerminateProcess(GetCurrentProcess(), kExitHoldingCode);
        }
    }
    if (options.holdMutex) {
        win32::KernelHandle mutex = openExchangeMutex(names, options.holdMutex->number, security.mutexes());
        if (mutex && takeUnlessStopped(mutex.get(), stopRequested)) {
            note(sink, "holding the mutex");
            pauseUnlessStopped(stopRequested, options.holdMutex->milliseconds);
            ReleaseMutex(mutex.get());
            note(sink, "released the mutex");
        }
    }

    WaitForSingleObject(stopRequested, INFINITE);
    return stopping(sink);
}

} // namespace

void runReferenceService(const Options& options, HANDLE stopRequested, StatusSink& sink) {
    sink.startPending();
    DWORD exitCode = runHolding(options, stopRequested, sink);
    sink.stopped(exitCode);
}

} // namespace zyn::reference
