// The program's entry and the globals it owns, constructed in this order before the entry runs:
// the application object, then the single-instance mutex (its creation error is what start-up
// tests first). They are destroyed in the reverse order at exit, which closes the mutex.

#include "app/SingleInstance.h"
#include "app/TarnwickApp.h"

extern CInstanceMutex InstanceMutex;

CtarnwickApp theApp(&InstanceMutex);
CInstanceMutex InstanceMutex;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show)
{
    return AfxWinMain(instance, previous, commandLine, show);
}
