// library_fixture.h - each test starts from a fresh fake world and a fresh LibraryState, and
// checks at its end that the library left no handle, view, file or block behind.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/library_state.h"
#include "core/lifecycle.h"
#include "core/service_status.h"
#include "fake_platform.h"

namespace zyn::testing {

// After an unload: no handle, view, file or heap block of the library is left, and the fake saw
// no misuse (a handle closed twice, a block it did not hand out).
inline ::testing::AssertionResult nothingLeftBehind(const fake::FakeWorld& world) {
    ::testing::Message left;
    bool clean = true;
    auto count = [&](int64_t n, const char* what) {
        if (n != 0) left << n << " " << what << "; ";
        clean = clean && n == 0;
    };
    count(world.openKernelHandles(), "kernel handles left open");
    count(world.openServiceHandles(), "service handles left open");
    count(world.mappedViews, "views left mapped");
    count(world.openFiles(), "files left open");
    count(static_cast<int64_t>(world.liveBlocks.size()), "blocks left allocated");
    for (const std::string& error : world.errors)
        left << "fake platform: " << error << "; ";
    if (clean && world.errors.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << left;
}

class LibraryTest : public ::testing::Test {
protected:
    LibraryTest() { core::resetLibraryState(); }
    ~LibraryTest() override {
        // The unload runs whether or not the test loaded: it is what gives back what the library
        // keeps between calls (the service manager handle).
        detach();
        EXPECT_TRUE(nothingLeftBehind(*world_));
        core::resetLibraryState();
    }

    core::LibraryState& state() { return core::libraryState(); }
    fake::FakeWorld& world() { return *world_; }

    void attach() {
        core::startOnce(state());
        attached_ = true;
    }
    void detach() {
        core::processDetach(state());
        attached_ = false;
    }
    fake::FakeService& installService(uint32_t serviceState) {
        return world_->installService(core::kServiceName, serviceState);
    }

private:
    fake::FakeWorldScope world_;
    bool attached_ = false;
};

} // namespace zyn::testing
