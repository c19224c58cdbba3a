#include "tests/engine/monitor/MonitorTestSupport.h"

#include "tests/support/TestSupport.h"

#include <tlhelp32.h>

namespace monitortest {

void PrepareGlobals()
{
    SystemFolderTable = CSystemFolderTable();
    SystemFolderTable.Resolve(SystemFolderSource::ThisMachine());
    if (!StopEventHandle)
        StopEventHandle.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ResetEvent(StopEventHandle.Get());
    IsWow64 = 0;
}

CString SetupProgramPath()
{
    return testsupport::ModuleFolder() + L"\\setupprog.exe";
}

int EndProcessesIn(const CString& folder)
{
    CString prefix = folder + L"\\";
    int ended = 0;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                               entry.th32ProcessID));
        if (!process)
            continue;
        wchar_t image[MAX_PATH * 2] = {};
        DWORD length = MAX_PATH * 2;
        if (!QueryFullProcessImageNameW(process.Get(), 0, image, &length))
            continue;
        if (CString(image, static_cast<int>(length)).Left(prefix.GetLength()).CompareNoCase(prefix) == 0) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 5000);
            ++ended;
        }
    }
    return ended;
}

} // namespace monitortest
