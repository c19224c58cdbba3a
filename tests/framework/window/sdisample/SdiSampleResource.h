#pragma once
// Ids of the sample single-document program (shared with the test that drives it).

#define IDR_MAINFRAME 128
#define ID_SAMPLE_COUNT 32790
#define ID_SAMPLE_ORPHAN 32791
#define ID_EDIT_DELETE 32786

// The exit code: the high part marks it as the sample's, the low part counts the commands.
#define SAMPLE_EXIT_BASE 0x5A000000
// InitInstance failed (the command line asked for something the framework does not serve).
#define SAMPLE_EXIT_NO_START 0x5A0F0003
