#pragma once
// Shared set-up of the monitor tests: the folder table of this machine, and a stop event of the
// test's own. CTest runs test programs side by side in one Wine prefix, where the named
// "StopEvent" would be one event for all of them: a test that sets it would stop the others.

#include "engine/files/Globals.h"
#include "framework/String.h"

#include <gtest/gtest.h>

#include <string>

namespace monitortest {

// Resolves the system-folder table and gives StopEventHandle an unnamed event, unset.
void PrepareGlobals();

// Path of the test setup program beside the tests.
CString SetupProgramPath();

// Ends every process whose image lies in the folder (copies of the setup program that a test
// started there); returns how many it ended.
int EndProcessesIn(const CString& folder);

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareGlobals(); }
    void TearDown() override { ResetEvent(StopEventHandle.Get()); }
};

} // namespace monitortest
