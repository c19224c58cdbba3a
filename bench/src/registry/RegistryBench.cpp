// Takes the monitor's registry snapshot of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE and runs the
// difference against it, as one monitoring run does around the setup program, and prints the
// seconds of each half and the number of keys. bench/registry times this program against
// `reg export` of the same two hives.
#include "engine/files/Globals.h"
#include "engine/monitor/InstallMonitor.h"

#include <cstdio>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main()
{
    if (DWORD error = InitGlobals()) {
        std::printf("bench_registry: the global state cannot be set up (%lu)\n", error);
        return 1;
    }
    CFeature project;
    CInstallMonitor monitor(project);
    LARGE_INTEGER start;
    LARGE_INTEGER snapshotDone;
    LARGE_INTEGER diffDone;
    QueryPerformanceCounter(&start);
    monitor.SetStartTime(CurrentFileTime());
    monitor.TakeRegistrySnapshot();
    QueryPerformanceCounter(&snapshotDone);
    const int keys = monitor.HkcuSnapshot().GetCount() + monitor.HklmSnapshot().GetCount();
    monitor.SetEndTime(CurrentFileTime());
    monitor.CollectRegistryChanges();
    QueryPerformanceCounter(&diffDone);
    std::printf("keys: %d, snapshot %.3f s, difference %.3f s, records %d\n", keys, Seconds(start, snapshotDone),
                Seconds(snapshotDone, diffDone), project.m_registry.GetSize());
    return 0;
}
