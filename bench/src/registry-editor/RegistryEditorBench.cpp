// Times the registry editor on a repackaged installation's worth of records: 20,000 records under
// 2,000 keys, one key holding 5,000 values. CRegistryTree::Fill and CRegistryList::ShowKey of that
// key run in a real window (the panel on a plain top-level window); each is timed five times and
// the median printed:
//     registry panel: fill <ms> ms; key of 5000: <ms> ms

#include "bench/src/support/BenchTiming.h"

#include "app/registry/RegistryList.h"
#include "app/registry/RegistryPanel.h"
#include "app/registry/RegistryTree.h"

#include "framework/window/WinApp.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace bench;

namespace {

// The shape of the project: keys spread over three levels under two roots.
constexpr int kKeys = 2000;
constexpr int kRecords = 20000;
constexpr int kBigKeyValues = 5000;
constexpr int kRounds = 5;

class CBenchApp : public CWinApp {
public:
    CBenchApp() : CWinApp(L"Registry Editor Bench") {}
};

CString KeyPath(int i)
{
    CString path;
    path.Format(L"%s\\Software\\Vendor %d\\Product %d\\Part %d\\", i % 2 ? L"HKEY_LOCAL_MACHINE" : L"HKEY_CURRENT_USER",
                i % 20, i % 200, i);
    return path;
}

CRegistryEntries MakeRecords()
{
    CRegistryEntries records;
    for (int i = 0; i < kKeys; ++i) {
        CRegistryEntry key;
        key.m_kind = CRegistryEntry::kindKey;
        key.m_keyPath = KeyPath(i);
        records.Add(key);
    }
    // key 0 holds the big key's values; the rest spread over all keys
    const int others = kRecords - kKeys - kBigKeyValues;
    for (int i = 0; i < kBigKeyValues + others; ++i) {
        CRegistryEntry value;
        value.m_kind = CRegistryEntry::kindValue;
        value.m_keyPath = i < kBigKeyValues ? KeyPath(0) : KeyPath(1 + i % (kKeys - 1));
        value.m_valueName.Format(L"Value %d", i);
        value.m_valueType = i % 5;
        value.m_value = i % 5 == 4 ? CString(L"4294967295") : CString(L"some[~]data");
        records.Add(value);
    }
    return records;
}

} // namespace

int wmain()
{
    CBenchApp app;
    if (!AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW))
        return 1;
    CWnd host;
    if (!host.CreateEx(0, AfxRegisterWndClass(0), L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700,
                       nullptr, nullptr))
        return 1;
    CRegistryPanel panel;
    if (!panel.CreatePanel(&host))
        return 1;
    panel.SetWindowPos(nullptr, 0, 0, 880, 660, SWP_NOZORDER);
    CRegistryEntries records = MakeRecords();
    records.m_lastShownKeyPath = KeyPath(2);   // a small key: the fill is timed, not the big list
    Pump();

    using Clock = std::chrono::steady_clock;
    std::vector<double> fills;
    std::vector<double> shows;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        panel.ShowRecords(&records);
        Pump();
        fills.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());

        const auto shown = Clock::now();
        panel.List()->ShowKey(KeyPath(0), panel.Tree(), &records);
        Pump();
        shows.push_back(std::chrono::duration<double, std::milli>(Clock::now() - shown).count());
        if (panel.List()->GetListCtrl().GetItemCount() != kBigKeyValues) {
            std::printf("the big key shows %d rows\n", panel.List()->GetListCtrl().GetItemCount());
            return 1;
        }
    }
    std::printf("tree items: %u; records: %d\n", panel.Tree()->GetTreeCtrl().GetCount(), static_cast<int>(records.GetSize()));
    std::printf("registry panel: fill %.0f ms; key of 5000: %.0f ms\n", Median(fills), Median(shows));
    host.DestroyWindow();
    return 0;
}
