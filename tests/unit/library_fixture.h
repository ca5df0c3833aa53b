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

class LibraryTest : public ::testing::Test {
protected:
    LibraryTest() { core::resetLibraryState(); }
    ~LibraryTest() override {
        if (attached_) detach();
        EXPECT_EQ(world_->openKernelHandles(), 0) << "kernel handles left open";
        EXPECT_EQ(world_->openServiceHandles(), 0) << "service handles left open";
        EXPECT_EQ(world_->mappedViews, 0) << "views left mapped";
        EXPECT_EQ(world_->openFiles(), 0) << "files left open";
        EXPECT_TRUE(world_->liveBlocks.empty()) << world_->liveBlocks.size() << " blocks left allocated";
        for (const std::string& error : world_->errors)
            ADD_FAILURE() << "fake platform: " << error;
        core::resetLibraryState();
    }

    core::LibraryState& state() { return core::libraryState(); }
    fake::FakeWorld& world() { return *world_; }

    void attach() {
        core::processAttach(state());
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
