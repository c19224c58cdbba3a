#pragma once
// Whether an installation monitor's worker runs anywhere in the program: the main window refuses
// to close meanwhile, since the worker writes into the wizard's project and the output list.

bool IsMonitorRunning();
