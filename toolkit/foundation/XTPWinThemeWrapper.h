#pragma once
// CXTPWinThemeWrapper: themed drawing through "UXTHEME.DLL" without linking it.
//
// The library is loaded when an entry table is made and each export is looked up by name the
// first time it is called, so a system without visual styles (or without an export, such as
// the buffered-paint calls before Vista) gets the failure value of the call instead of a load
// error. Two process-wide tables are shared by all wrappers: table A for flag 0, table B for
// flag 1. Table B follows the library when it is unloaded and loaded again (its entries are
// looked up afresh whenever the module handle changes). A wrapper may own a private table in
// place of both; tests use one to play a missing library or to count calls.
//
// Every wrapped call also catches C++ exceptions thrown through it. Access violations inside the
// library are not C++ exceptions with this compiler: the guard that matters is the missing
// library or export. User-interface thread only; the tables are made on first use.

#include "framework/Base.h"

#include <memory>
#include <uxtheme.h>

class CXTPWinThemeTable {
public:
    enum Entry {
        EntryOpenThemeData,
        EntryCloseThemeData,
        EntryDrawThemeBackground,
        EntryDrawThemeTextEx,
        EntryGetThemeColor,
        EntryGetThemeInt,
        EntryGetThemePartSize,
        EntryGetThemeSysBool,
        EntryGetCurrentThemeName,
        EntryIsAppThemed,
        EntryIsThemeActive,
        EntryBeginBufferedPaint,
        EntryEndBufferedPaint,
        EntryCount
    };

    // A table over the given module (null: every entry stays missing unless set by hand).
    CXTPWinThemeTable(HMODULE module, DWORD comCtlVersion);
    CXTPWinThemeTable(const CXTPWinThemeTable&) = delete;
    CXTPWinThemeTable& operator=(const CXTPWinThemeTable&) = delete;

    // A table over "UXTHEME.DLL", loaded here and never freed (the tables live as long as the
    // process and themed drawing may happen until its end).
    static std::unique_ptr<CXTPWinThemeTable> CreateForSystem();

    // The entry, looked up by name on first use when the table has a module; null when missing.
    FARPROC GetEntry(Entry entry);
    // Puts an entry in place (a private table's test double); it is used as it is.
    void SetEntry(Entry entry, FARPROC address) { m_entries[entry] = address; }
    HMODULE GetModule() const { return m_module; }
    DWORD GetComCtlVersion() const { return m_comCtlVersion; }

    // Takes currentModule when it differs from the table's and forgets every entry.
    void RefreshModule(HMODULE currentModule);

    static const char* EntryName(Entry entry);

private:
    FARPROC m_entries[EntryCount] = {};
    HMODULE m_module;   // not owned
    DWORD m_comCtlVersion;
};

// The shared tables, each made on first use.
CXTPWinThemeTable& GetWinThemeTableA();
CXTPWinThemeTable& GetWinThemeTableB();

class CXTPWinThemeWrapper {
public:
    // flag 0: shared table A; any other value: table B, which follows the library's reloads.
    explicit CXTPWinThemeWrapper(BOOL useRefreshingTable = TRUE);
    // Uses the given table instead of the shared ones; it dies with the wrapper.
    explicit CXTPWinThemeWrapper(std::unique_ptr<CXTPWinThemeTable> privateTable);
    CXTPWinThemeWrapper(const CXTPWinThemeWrapper&) = delete;
    CXTPWinThemeWrapper& operator=(const CXTPWinThemeWrapper&) = delete;
    virtual ~CXTPWinThemeWrapper();

    // Closes the open theme and opens the class list ("BUTTON", "SCROLLBAR", ...); the handle,
    // 0 when the open failed.
    HTHEME OpenThemeData(HWND window, LPCWSTR classList);
    void CloseThemeData();
    HTHEME GetThemeHandle() const { return m_theme; }

    HRESULT DrawThemeBackground(HDC dc, int part, int state, const RECT* rect, const RECT* clip);
    HRESULT DrawThemeTextEx(HDC dc, int part, int state, LPCWSTR text, int length, DWORD flags,
                            LPRECT rect, const DTTOPTS* options);
    HRESULT GetThemeColor(int part, int state, int property, COLORREF* color);
    HRESULT GetThemeInt(int part, int state, int property, int* value);
    HRESULT GetThemePartSize(HDC dc, int part, int state, LPCRECT rect, THEMESIZE kind, SIZE* size);
    BOOL GetThemeSysBool(int boolId);
    HRESULT GetCurrentThemeName(LPWSTR fileName, int fileNameLength, LPWSTR colorName,
                                int colorNameLength, LPWSTR sizeName, int sizeNameLength);
    // FALSE at once without an open theme.
    BOOL IsAppThemed();
    BOOL IsThemeActive();
    HPAINTBUFFER BeginBufferedPaint(HDC target, const RECT* rect, BP_BUFFERFORMAT format,
                                    BP_PAINTPARAMS* params, HDC* paintDc);
    void EndBufferedPaint(HPAINTBUFFER buffer, BOOL updateTarget);

    CXTPWinThemeTable& GetTable();

private:
    // Table B's refresh against the module now loaded; only wrappers with the flag refresh.
    void RefreshSharedModule();

    HTHEME m_theme = nullptr;
    BOOL m_useRefreshingTable;
    std::unique_ptr<CXTPWinThemeTable> m_privateTable;
};

// The desktop window manager's calls from "dwmapi.dll" (loaded once, never freed), E_FAIL when
// the library or the export is missing.
class CXTPDwmApi {
public:
    explicit CXTPDwmApi(HMODULE module);
    // The two entries given as they are (a test's stand-ins); no module.
    CXTPDwmApi(FARPROC defWindowProc, FARPROC extendFrame);

    static std::unique_ptr<CXTPDwmApi> CreateForSystem();

    // TRUE when the window manager handled the message (result filled); FALSE, also without
    // the library, when the window procedure must handle it.
    BOOL DefWindowProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The margins in the order of the MARGINS record: left, right, top, bottom.
    HRESULT ExtendFrameIntoClientAreaOf(HWND window, int left, int right, int top, int bottom);

private:
    FARPROC m_defWindowProc = nullptr;
    FARPROC m_reserved = nullptr;
    FARPROC m_extendFrame = nullptr;
    HMODULE m_module;   // not owned
};

CXTPDwmApi& GetDwmApi();

// Lets the desktop window manager handle the caption buttons of a frame drawn into the client
// area.
BOOL CallDwmDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
HRESULT CallDwmExtendFrameIntoClientArea(HWND window, int left, int right, int top, int bottom);
