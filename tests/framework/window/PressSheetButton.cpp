// Presses a button of a property sheet in another process, as a driving program would:
//     sheet_press_button <sheet window, decimal> <PSBTN_ value>
// Only posts PSM_PRESSBUTTON and leaves at once. Exit code 0 when the message was posted,
// 1 for bad arguments, 2 when the post failed.

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <cwctype>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    wchar_t* end = nullptr;
    const unsigned long long window = std::wcstoull(commandLine, &end, 10);
    if (!end || end == commandLine || !std::iswspace(*end))
        return 1;
    wchar_t* rest = end;
    const unsigned long button = std::wcstoul(rest, &end, 10);
    if (end == rest)
        return 1;
    HWND sheet = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(window));
    return ::PostMessageW(sheet, PSM_PRESSBUTTON, button, 0) ? 0 : 2;
}
