#pragma once
// CXTPResourceManager: where the toolkit's strings, menus, bitmaps, cursors, icons, dialog
// templates and HTML pages come from, and which language (code page, character set) they are in.
//
// Every load looks first in the resource module, a separate library of translated resources,
// when one is set, and then in the program's own resources. The program never sets one, so its
// loads end in its own resources; tests set a fixture library to check the order. Readers of
// resource bytes never go past the resource's size: a resource library is a file anyone can
// hand the program.

#include "framework/Base.h"
#include "framework/String.h"

#include <memory>

class CBitmap;
class CMenu;

// One row of the language table.
struct XTP_RESOURCEMANAGER_LANGINFO {
    WORD wLanguage;            // language id
    WORD wReserved;
    UINT nCodePage;            // 0: the system's ANSI code page
    LPCWSTR lpszEncoding;      // "windows-1251"
    LPCWSTR lpszCaption;       // "Russian"
    LPCWSTR lpszLang;          // "LANG_RUSSIAN"
    LPCWSTR lpszSubLang;       // "SUBLANG_DEFAULT"
    UINT nFontCharSet;         // GDI character set (a byte value)
};

// The table's row for a language id, else null.
const XTP_RESOURCEMANAGER_LANGINFO* LookupLanguageRecord(WORD language);
// The table itself (35 rows), for callers that list the languages.
const XTP_RESOURCEMANAGER_LANGINFO* GetLanguageTable(int* count);

// Entry index (0..15) of a string block's bytes: each entry is a 16-bit length followed by that
// many UTF-16 units. The entry's length, its text in out; 0 (and out empty) when the entry is
// empty or does not lie wholly inside the block.
int ReadStringBlockEntry(const void* block, DWORD blockSize, UINT index, CString& out);
// String id of a module: block id / 16 + 1 (RT_STRING), entry id mod 16. 0 when the block,
// the entry or its text is missing or empty.
int ReadStringTableEntry(HMODULE module, UINT id, CString& out);
// The resource in the resource module, else in the program's resources; module tells where it
// was found. Null when neither has it.
HRSRC FindResourceInModules(HMODULE& module, LPCWSTR name, LPCWSTR type);
// The first language other than 1033 among a module's resources (enumerated by type, name and
// language); 1033 when all are English; 0 when the module has none with a language.
WORD DetectResourceLanguage(HMODULE module);

// A stretch of code in which the framework's own resource lookups (a toolbar loading its
// resource, a drag context loading its cursors) see the resource module first: Begin puts the
// resource module in the framework's resource handle when one is set and arms the scope; End
// puts the saved handle back when armed. Without a resource module nothing changes.
struct XTP_RESOURCE_SCOPE {
    BOOL armed = FALSE;
    HINSTANCE saved = nullptr;
};
void BeginResourceScope(XTP_RESOURCE_SCOPE& scope);
void EndResourceScope(XTP_RESOURCE_SCOPE& scope);

// The same for a C++ scope: ended on every way out of it.
class CXTPResourceScope {
public:
    CXTPResourceScope() { BeginResourceScope(m_scope); }
    CXTPResourceScope(const CXTPResourceScope&) = delete;
    CXTPResourceScope& operator=(const CXTPResourceScope&) = delete;
    ~CXTPResourceScope() { EndResourceScope(m_scope); }

private:
    XTP_RESOURCE_SCOPE m_scope;
};

class CXTPResourceManager {
public:
    CXTPResourceManager();
    CXTPResourceManager(const CXTPResourceManager&) = delete;
    CXTPResourceManager& operator=(const CXTPResourceManager&) = delete;
    virtual ~CXTPResourceManager();

    // The process-wide resource module (not owned; null: none).
    static HMODULE GetResourceModule();
    static void SetResourceModule(HMODULE module);
    // The program's own resources: the framework's current resource handle.
    static HINSTANCE GetProgramResources();

    // A string by id; failed (optional) receives TRUE when there was none.
    virtual CString LoadString(UINT id, BOOL* failed = nullptr);
    // Module first, then the framework's string lookup (its resource handle, then the
    // program); FALSE when none has a non-empty string.
    virtual BOOL LoadStringTo(CString& out, UINT id);
    // Module first (RT_MENU there), else the program's menu; TRUE when the object holds a menu.
    // An object that already holds one is left as it is and FALSE comes back.
    virtual BOOL LoadMenu(CMenu* menu, UINT id);
    // The same for a bitmap (RT_BITMAP).
    virtual BOOL LoadBitmap(CBitmap* bitmap, UINT id);
    // Runs the toolbar's own loading of its resource (any type with LoadToolBar(UINT), the
    // framework's toolbar among them) inside a resource scope, so that it finds the resource
    // module's toolbar first; its result. FALSE for a null toolbar.
    template <class TToolBar>
    BOOL LoadToolBar(TToolBar* toolBar, UINT id)
    {
        if (!toolBar)
            return FALSE;
        CXTPResourceScope scope;
        return toolBar->LoadToolBar(id) ? TRUE : FALSE;
    }
    virtual HCURSOR LoadCursor(UINT id);
    virtual LPCDLGTEMPLATE LoadDialogTemplate(UINT id);
    virtual HGLOBAL FindDialogTemplate(LPCWSTR name);
    // An HTML resource (RT_HTML), read as ANSI text and cut at its first zero character. FALSE
    // for a null string, a missing resource or nothing converted.
    virtual BOOL LoadHtml(CString* out, UINT id);
    virtual HICON LoadIcon(UINT id, int width, int height);
    virtual HICON LoadIconByName(LPCWSTR name, int width, int height);
    // The member of an icon group closest to the size, made from its bytes; null on any failure.
    virtual HICON CreateIconFromResource(HMODULE module, LPCWSTR name, int width, int height);
    // Loads a resource library, owned until FreeResourceModule, and makes it the resource module.
    BOOL SetResourceFile(const wchar_t* path);
    virtual void FreeResourceModule();
    virtual WORD GetResourcesLangID() const;
    // Selects the language of the resources in use (the resource module, else the program).
    virtual void UpdateResourcesLangID();

    // The language's row, or English (United States) when the table has none for it.
    void SetResourceLanguage(WORD language);
    const XTP_RESOURCEMANAGER_LANGINFO* GetLanguageInfo() const { return m_languageInfo; }
    // Character set for the toolkit's fonts; never fails.
    BYTE GetFontCharset() const;
    // The caller's message-box flags with right-to-left reading added for Hebrew and Arabic.
    UINT GetMessageBoxFlags(UINT flags) const;
    // Shows the framework's message box (AfxMessageBox) with those flags; its result.
    int ShowMessageBox(const wchar_t* text, UINT flags) const;
    // A menu item's text (GetMenuStringW flags: MF_BYCOMMAND or MF_BYPOSITION); its length.
    int GetMenuItemText(HMENU menu, UINT item, CString& out, UINT flags) const;
    // The same for a framework menu; 0 for a null object or one without a menu.
    int GetMenuItemText(CMenu* menu, UINT item, CString& out, UINT flags) const;
    // The text in the current language's code page, zero-terminated.
    std::unique_ptr<char[]> ToNarrowTextBuffer(const wchar_t* text) const;

private:
    BOOL m_valid = TRUE;
    HMODULE m_ownedModule = nullptr;
    const XTP_RESOURCEMANAGER_LANGINFO* m_languageInfo;
    BOOL m_languageSet = FALSE;   // never set: fonts take the icon-title font's character set
    BYTE m_iconTitleCharset = DEFAULT_CHARSET;
};

// The process-wide manager, made on first use.
CXTPResourceManager* GetResourceManager();
