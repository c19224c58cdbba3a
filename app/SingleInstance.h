#pragma once
// The single-instance mutex: made unowned under a machine-wide name when the program's globals
// are constructed, before any start-up code runs. Its existence alone is the test: it is never
// waited on, and a second instance that finds it ends without a window or a message.

#include "framework/Handle.h"

inline constexpr wchar_t kInstanceMutexName[] = L"Global\\{ABC4F472-90EF-4136-9209-B3CBD2CC5211}";

class CInstanceMutex {
public:
    // Creates (or opens) the named mutex and keeps the last-error code of that call.
    explicit CInstanceMutex(const wchar_t* name = kInstanceMutexName);
    CInstanceMutex(const CInstanceMutex&) = delete;
    CInstanceMutex& operator=(const CInstanceMutex&) = delete;

    HANDLE Handle() const { return m_handle.Get(); }
    DWORD CreationError() const { return m_creationError; }
    // True when the mutex existed already: another instance runs (under any logon of the machine).
    bool AnotherInstanceRuns() const { return m_creationError == ERROR_ALREADY_EXISTS; }

private:
    UniqueKernelHandle m_handle;
    DWORD m_creationError = 0;
};
