// clean_machine.h - the fixture of every test that touches the service entry or the Windows
// directory: it starts from, and leaves behind, a machine without "ZYN Service" and without
// zyn.ini, whatever an earlier test that crashed left there.
#pragma once

#include <gtest/gtest.h>

#include "support/reference_service.h"
#include "support/zyn_ini.h"

namespace zyn::test {

class CleanMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        removeServiceIfPresent();
        removeConfigurationFiles();
    }
    void TearDown() override {
        // A deleted service's entry goes once its process has ended, which the Service Control
        // Manager may learn a moment after the service reported STOPPED.
        for (int waited = 0; serviceInstalled() && waited < 5000; waited += 20)
            Sleep(20);
        EXPECT_FALSE(serviceInstalled()) << "the test left \"ZYN Service\" installed";
        removeServiceIfPresent();
        removeConfigurationFiles();
    }
};

} // namespace zyn::test
