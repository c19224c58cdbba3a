#pragma once
// String ids of the framework test program and of its test library.
#define IDS_TEST_FIRST 1             // program: "First string"; library: "Library first"
#define IDS_TEST_SECOND 2            // program only
#define IDS_TEST_MISSING 3           // in the same block as 1 and 2, but absent
#define IDS_TEST_OTHER_BLOCK 37      // program: a later block
#define IDS_TEST_LIBRARY_ONLY 40     // library only
#define IDS_TEST_LONG 41             // program: longer than one ini read buffer
#define IDS_TEST_APP_TITLE 57344     // program only: names the settings
