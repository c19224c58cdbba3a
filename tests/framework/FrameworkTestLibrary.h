#pragma once
// Exports of the test library: a DLL with its own copy of the framework core, to check what a
// library (such as the custom-action DLL) sees: its own module and resources, and thread-local
// values that die with threads it never started.

#include <windows.h>

extern "C" {
// The library's own instance handle as its copy of the framework reports it.
typedef HINSTANCE (*LibraryInstanceFn)();
// Makes a thread-local value in the calling thread; its destructor sets diedEvent.
typedef void (*LibraryTouchThreadLocalFn)(HANDLE diedEvent);
// The profile name that SetRegistryKey(key, appName) fixes inside the library (whose resources
// have no string 57344); copied into out.
typedef void (*LibraryProfileNameFn)(const wchar_t* key, const wchar_t* appName, wchar_t* out, int outUnits);
}
