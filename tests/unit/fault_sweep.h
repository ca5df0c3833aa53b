// fault_sweep.h - fails the nth call of each kind of platform operation in turn, n = 1, 2, ...,
// each run from a fresh world and library state, and checks every run: the operation gives one
// of its answers, and the library, once unloaded, leaves nothing behind.
#pragma once

#include <functional>
#include <ostream>
#include <set>
#include <vector>

#include "library_fixture.h"

namespace zyn::testing {

struct FaultSweep {
    const char* what;
    // The world the operation starts from; attaches the library when the operation needs it.
    std::function<void(fake::FakeWorld&)> arrange;
    // Runs with one call failing; checks of its own on the outcome go here too.
    std::function<int32_t(fake::FakeWorld&)> operation;
    std::set<int32_t> results; // every answer the operation may give
    std::vector<fake::Op> kinds;
};
inline void PrintTo(const FaultSweep& sweep, std::ostream* out) { *out << sweep.what; }

// Bounds the runs of an operation that makes many calls of one kind (reads of a long file).
constexpr int kMaxFailingCall = 24;

// A kind the operation never calls fails the sweep, so that no row sweeps less than it claims.
// Returns the number of runs in which the failing call was reached.
inline int runFaultSweep(const FaultSweep& sweep) {
    int injected = 0;
    for (fake::Op kind : sweep.kinds) {
        for (int nth = 1; nth <= kMaxFailingCall; ++nth) {
            SCOPED_TRACE(::testing::Message() << sweep.what << ", call " << nth << " of " << fake::opName(kind));
            fake::FakeWorldScope world;
            core::resetLibraryState();
            sweep.arrange(*world);
            world->failCall(kind, nth);
            const int before = world->calls(kind);
            const int32_t result = sweep.operation(*world);
            const bool reached = world->calls(kind) - before >= nth;
            EXPECT_TRUE(sweep.results.contains(result)) << "answered " << result;
            // The unload that follows is not part of the run.
            world->clearFailures();
            core::processDetach(core::libraryState());
            EXPECT_TRUE(nothingLeftBehind(*world));
            core::resetLibraryState();
            if (!reached) {
                EXPECT_GT(nth, 1) << "the operation makes no such call: a stale kind";
                break;
            }
            ++injected;
        }
    }
    return injected;
}

} // namespace zyn::testing
