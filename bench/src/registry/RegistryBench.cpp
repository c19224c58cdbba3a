// The monitor's registry walks over HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, one kind per process,
// so that bench/registry can time each as a whole process against `reg export` of the same hives:
//   bench_registry empty     the same start-up (global state included) and nothing else
//   bench_registry snapshot  one snapshot of both hives
//   bench_registry diff      one difference of both hives over a window that holds no write, so
//                            it walks every key and exports nothing (a real run exports a few keys)
// Each prints what it did and its own seconds on one line; the script measures from outside.
#include "engine/files/Globals.h"
#include "engine/monitor/InstallMonitor.h"

#include <cstdio>
#include <cstring>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    const bool snapshot = std::strcmp(mode, "snapshot") == 0;
    const bool diff = std::strcmp(mode, "diff") == 0;
    if (!snapshot && !diff && std::strcmp(mode, "empty") != 0) {
        std::printf("usage: bench_registry empty|snapshot|diff\n");
        return 2;
    }
    if (DWORD error = InitGlobals()) {
        std::printf("bench_registry: the global state cannot be set up (%lu)\n", error);
        return 1;
    }
    if (!snapshot && !diff)
        return 0;

    CFeature project;
    CInstallMonitor monitor(project);
    LARGE_INTEGER start;
    LARGE_INTEGER done;
    QueryPerformanceCounter(&start);
    DWORD error = 0;
    if (snapshot) {
        error = monitor.TakeRegistrySnapshot();
        QueryPerformanceCounter(&done);
        std::printf("snapshot: %d keys, %.3f s in process, result %lu\n",
                    monitor.HkcuSnapshot().GetCount() + monitor.HklmSnapshot().GetCount(), Seconds(start, done), error);
    } else {
        const int rootRecords = project.m_registry.GetSize();
        const ULONGLONG now = CurrentFileTime();
        monitor.SetStartTime(now);
        monitor.SetEndTime(now);
        error = monitor.CollectRegistryChanges();
        QueryPerformanceCounter(&done);
        std::printf("difference: %d records, %.3f s in process, result %lu\n", project.m_registry.GetSize() - rootRecords,
                    Seconds(start, done), error);
    }
    return error == 0 ? 0 : 1;
}
