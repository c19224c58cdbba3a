#include "app/SingleInstance.h"

CInstanceMutex::CInstanceMutex(const wchar_t* name)
{
    HANDLE handle = ::CreateMutexW(nullptr, FALSE, name);
    m_creationError = ::GetLastError();
    m_handle.Reset(handle);
}
