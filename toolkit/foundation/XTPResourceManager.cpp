#include "toolkit/foundation/XTPResourceManager.h"

#include "framework/ResourceHandle.h"
#include "framework/window/Gdi.h"
#include "framework/window/Menu.h"
#include "framework/window/WinApp.h"

#include <vector>

namespace {

constexpr WORD kEnglishUs = 0x0409;

const XTP_RESOURCEMANAGER_LANGINFO kLanguages[] = {
    {0x0419, 0, 1251, L"windows-1251", L"Russian", L"LANG_RUSSIAN", L"SUBLANG_DEFAULT", 204},
    {0x0411, 0, 932, L"shift-jis", L"Japanese", L"LANG_JAPANESE", L"SUBLANG_DEFAULT", 128},
    {0x0401, 0, 1256, L"windows-1256", L"Arabic (Saudi Arabia)", L"LANG_ARABIC", L"SUBLANG_ARABIC_SAUDI_ARABIA", 178},
    {0x0405, 0, 1250, L"windows-1250", L"Czech", L"LANG_CZECH", L"SUBLANG_DEFAULT", 238},
    {0x0406, 0, 1252, L"windows-1252", L"Danish", L"LANG_DANISH", L"SUBLANG_DEFAULT", 0},
    {0x0407, 0, 1252, L"windows-1252", L"German (Germany)", L"LANG_GERMAN", L"SUBLANG_GERMAN", 0},
    {0x0408, 0, 1253, L"windows-1253", L"Greek", L"LANG_GREEK", L"SUBLANG_DEFAULT", 161},
    {0x0409, 0, 0, L"windows-1252", L"English (United States)", L"LANG_ENGLISH", L"SUBLANG_ENGLISH_US", 0},
    {0x0C0A, 0, 1252, L"windows-1252", L"Spanish (Spain - Modern Sort)", L"LANG_SPANISH", L"SUBLANG_SPANISH_MODERN", 0},
    {0x0425, 0, 1257, L"windows-1257", L"Estonian", L"LANG_ESTONIAN", L"SUBLANG_DEFAULT", 186},
    {0x040B, 0, 1252, L"windows-1252", L"Finnish", L"LANG_FINNISH", L"SUBLANG_DEFAULT", 0},
    {0x040C, 0, 1252, L"windows-1252", L"French (France)", L"LANG_FRENCH", L"SUBLANG_FRENCH", 0},
    {0x040D, 0, 1255, L"windows-1255", L"Hebrew", L"LANG_HEBREW", L"SUBLANG_DEFAULT", 177},
    {0x041A, 0, 1250, L"windows-1250", L"Croatian", L"LANG_CROATIAN", L"SUBLANG_DEFAULT", 238},
    {0x040E, 0, 1250, L"windows-1250", L"Hungarian", L"LANG_HUNGARIAN", L"SUBLANG_DEFAULT", 238},
    {0x0410, 0, 1252, L"windows-1252", L"Italian (Italy)", L"LANG_ITALIAN", L"SUBLANG_ITALIAN", 0},
    {0x0412, 0, 949, L"ks_c_5601", L"Korean", L"LANG_KOREAN", L"SUBLANG_DEFAULT", 129},
    {0x0427, 0, 1257, L"windows-1257", L"Lithuanian", L"LANG_LITHUANIAN", L"SUBLANG_LITHUANIAN", 186},
    {0x0426, 0, 1257, L"windows-1257", L"Latvian", L"LANG_LATVIAN", L"SUBLANG_DEFAULT", 186},
    {0x0413, 0, 1252, L"windows-1252", L"Dutch", L"LANG_DUTCH", L"SUBLANG_DUTCH", 0},
    {0x0414, 0, 1252, L"windows-1252", L"Norwegian (Bokmal)", L"LANG_NORWEGIAN", L"SUBLANG_NORWEGIAN_BOKMAL", 0},
    {0x0415, 0, 1250, L"windows-1250", L"Polish", L"LANG_POLISH", L"SUBLANG_DEFAULT", 238},
    {0x0816, 0, 1252, L"windows-1252", L"Portuguese (Portugal)", L"LANG_PORTUGUESE", L"SUBLANG_PORTUGUESE", 0},
    {0x0416, 0, 1252, L"windows-1252", L"Portuguese (Brazil)", L"LANG_PORTUGUESE", L"SUBLANG_PORTUGUESE_BRAZILIAN", 0},
    {0x0418, 0, 1250, L"windows-1250", L"Romanian", L"LANG_ROMANIAN", L"SUBLANG_DEFAULT", 238},
    {0x081A, 0, 1250, L"windows-1250", L"Serbian", L"LANG_SERBIAN", L"SUBLANG_SERBIAN_LATIN", 238},
    {0x041B, 0, 1250, L"windows-1250", L"Slovak", L"LANG_SLOVAK", L"SUBLANG_DEFAULT", 238},
    {0x0424, 0, 1250, L"windows-1250", L"Slovenian", L"LANG_SLOVENIAN", L"SUBLANG_DEFAULT", 238},
    {0x041D, 0, 1252, L"windows-1252", L"Swedish", L"LANG_SWEDISH", L"SUBLANG_DEFAULT", 0},
    {0x041E, 0, 874, L"windows-874", L"Thai", L"LANG_THAI", L"SUBLANG_DEFAULT", 222},
    {0x041F, 0, 1254, L"windows-1254", L"Turkish", L"LANG_TURKISH", L"SUBLANG_DEFAULT", 162},
    {0x0422, 0, 1251, L"windows-1251", L"Ukrainian ", L"LANG_UKRAINIAN", L"SUBLANG_DEFAULT", 204},
    {0x0402, 0, 1251, L"windows-1251", L"Bulgarian", L"LANG_BULGARIAN", L"SUBLANG_DEFAULT", 204},
    {0x0804, 0, 936, L"gb2312", L"Chinese (PRC)", L"LANG_CHINESE", L"SUBLANG_CHINESE_SIMPLIFIED", 134},
    {0x0404, 0, 950, L"big5", L"Chinese (Taiwan)", L"LANG_CHINESE", L"SUBLANG_CHINESE_TRADITIONAL", 136},
};
static_assert(sizeof(kLanguages) / sizeof(kLanguages[0]) == 35, "the language table has 35 rows");

HMODULE g_resourceModule = nullptr;   // not owned: set by whoever loaded the library

// The bytes of a found resource and their size; null when it cannot be loaded.
const BYTE* LockedBytes(HMODULE module, HRSRC resource, DWORD& size)
{
    size = 0;
    if (!resource)
        return nullptr;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (bytes)
        size = ::SizeofResource(module, resource);
    return bytes;
}

// A resource by id: from the resource module when it has one of that type and the load works
// there, else from the program.
template <class Handle, class Load>
Handle LoadModuleFirst(UINT id, LPCWSTR type, Load load)
{
    if (g_resourceModule && ::FindResourceW(g_resourceModule, MAKEINTRESOURCEW(id), type)) {
        if (Handle loaded = load(g_resourceModule, MAKEINTRESOURCEW(id)))
            return loaded;
    }
    return load(CXTPResourceManager::GetProgramResources(), MAKEINTRESOURCEW(id));
}

// The language walk keeps its state here; the callbacks stop the enumeration as soon as a
// language other than English is met.
BOOL CALLBACK OnLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param)
{
    WORD& found = *reinterpret_cast<WORD*>(param);
    if (language != 0)
        found = language;
    return found == 0 || found == kEnglishUs;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param)
{
    ::EnumResourceLanguagesW(module, type, name, OnLanguage, param);
    const WORD found = *reinterpret_cast<WORD*>(param);
    return found == 0 || found == kEnglishUs;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param)
{
    ::EnumResourceNamesW(module, type, OnName, param);
    const WORD found = *reinterpret_cast<WORD*>(param);
    return found == 0 || found == kEnglishUs;
}

} // namespace

const XTP_RESOURCEMANAGER_LANGINFO* LookupLanguageRecord(WORD language)
{
    for (const XTP_RESOURCEMANAGER_LANGINFO& record : kLanguages) {
        if (record.wLanguage == language)
            return &record;
    }
    return nullptr;
}

const XTP_RESOURCEMANAGER_LANGINFO* GetLanguageTable(int* count)
{
    if (count)
        *count = static_cast<int>(sizeof(kLanguages) / sizeof(kLanguages[0]));
    return kLanguages;
}

int ReadStringBlockEntry(const void* block, DWORD blockSize, UINT index, CString& out)
{
    out.Empty();
    if (!block || index >= 16)
        return 0;
    const BYTE* bytes = static_cast<const BYTE*>(block);
    DWORD offset = 0;
    for (UINT entry = 0;; ++entry) {
        if (blockSize - offset < sizeof(WORD))
            return 0;
        WORD length = 0;
        memcpy(&length, bytes + offset, sizeof(length));
        offset += sizeof(WORD);
        const DWORD textBytes = DWORD{length} * sizeof(wchar_t);
        if (blockSize - offset < textBytes)
            return 0;
        if (entry == index) {
            if (length == 0)
                return 0;
            // The block's text may sit at an odd offset in a hand-made file: copy, not cast.
            std::vector<wchar_t> text(length);
            memcpy(text.data(), bytes + offset, textBytes);
            out = CString(text.data(), length);
            return length;
        }
        offset += textBytes;
    }
}

int ReadStringTableEntry(HMODULE module, UINT id, CString& out)
{
    out.Empty();
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), MAKEINTRESOURCEW(6));
    DWORD size = 0;
    const BYTE* bytes = LockedBytes(module, resource, size);
    return bytes ? ReadStringBlockEntry(bytes, size, id % 16, out) : 0;
}

HRSRC FindResourceInModules(HMODULE& module, LPCWSTR name, LPCWSTR type)
{
    if (g_resourceModule) {
        if (HRSRC found = ::FindResourceW(g_resourceModule, name, type)) {
            module = g_resourceModule;
            return found;
        }
    }
    const HINSTANCE program = CXTPResourceManager::GetProgramResources();
    HRSRC found = ::FindResourceW(program, name, type);
    module = found ? program : nullptr;
    return found;
}

WORD DetectResourceLanguage(HMODULE module)
{
    WORD found = 0;
    ::EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&found));
    return found;
}

void BeginResourceScope(XTP_RESOURCE_SCOPE& scope)
{
    scope = {};
    if (!g_resourceModule)
        return;
    scope.saved = ::AfxGetResourceHandle();
    ::AfxSetResourceHandle(g_resourceModule);
    scope.armed = TRUE;
}

void EndResourceScope(XTP_RESOURCE_SCOPE& scope)
{
    if (!scope.armed)
        return;
    ::AfxSetResourceHandle(scope.saved);
    scope.armed = FALSE;
}

CXTPResourceManager::CXTPResourceManager() : m_languageInfo(LookupLanguageRecord(kEnglishUs))
{
    LOGFONTW iconTitle{};
    if (::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0))
        m_iconTitleCharset = iconTitle.lfCharSet;
}

CXTPResourceManager::~CXTPResourceManager()
{
    FreeResourceModule();
}

HMODULE CXTPResourceManager::GetResourceModule()
{
    return g_resourceModule;
}

void CXTPResourceManager::SetResourceModule(HMODULE module)
{
    g_resourceModule = module;
}

HINSTANCE CXTPResourceManager::GetProgramResources()
{
    return ::AfxGetResourceHandle();
}

CString CXTPResourceManager::LoadString(UINT id, BOOL* failed)
{
    CString text;
    const BOOL found = LoadStringTo(text, id);
    if (failed)
        *failed = !found;
    return text;
}

BOOL CXTPResourceManager::LoadStringTo(CString& out, UINT id)
{
    if (g_resourceModule && ReadStringTableEntry(g_resourceModule, id, out) > 0)
        return TRUE;
    const HINSTANCE holder = ::AfxFindStringResourceHandle(id);
    if (holder && ::AfxReadStringResource(holder, id, out) && !out.IsEmpty())
        return TRUE;
    out.Empty();
    return FALSE;
}

BOOL CXTPResourceManager::LoadMenu(CMenu* menu, UINT id)
{
    if (!menu || menu->m_hMenu)
        return FALSE;
    const HMENU loaded = LoadModuleFirst<HMENU>(id, MAKEINTRESOURCEW(4) /* RT_MENU */, ::LoadMenuW);
    return loaded && menu->Attach(loaded);
}

BOOL CXTPResourceManager::LoadBitmap(CBitmap* bitmap, UINT id)
{
    if (!bitmap || bitmap->m_hObject)
        return FALSE;
    const HBITMAP loaded = LoadModuleFirst<HBITMAP>(id, MAKEINTRESOURCEW(2) /* RT_BITMAP */, ::LoadBitmapW);
    return loaded && bitmap->Attach(loaded);
}

HCURSOR CXTPResourceManager::LoadCursor(UINT id)
{
    return LoadModuleFirst<HCURSOR>(id, MAKEINTRESOURCEW(12) /* RT_GROUP_CURSOR */, ::LoadCursorW);
}

LPCDLGTEMPLATE CXTPResourceManager::LoadDialogTemplate(UINT id)
{
    const HGLOBAL loaded = FindDialogTemplate(MAKEINTRESOURCEW(id));
    return loaded ? static_cast<LPCDLGTEMPLATE>(::LockResource(loaded)) : nullptr;
}

HGLOBAL CXTPResourceManager::FindDialogTemplate(LPCWSTR name)
{
    HMODULE module = nullptr;
    const HRSRC resource = FindResourceInModules(module, name, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    return resource ? ::LoadResource(module, resource) : nullptr;
}

BOOL CXTPResourceManager::LoadHtml(CString* out, UINT id)
{
    if (!out)
        return FALSE;
    HMODULE module = nullptr;
    const HRSRC resource = FindResourceInModules(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(23));
    DWORD size = 0;
    const BYTE* bytes = LockedBytes(module, resource, size);
    if (!bytes || size == 0)
        return FALSE;
    const int sourceLength = static_cast<int>(size);
    const int length = ::MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(bytes), sourceLength,
                                             nullptr, 0);
    if (length <= 0)
        return FALSE;
    std::vector<wchar_t> text(length);
    ::MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(bytes), sourceLength, text.data(), length);
    // Pages are often stored with a terminating zero (or padding after it): the text ends there.
    int used = 0;
    while (used < length && text[used] != L'\0')
        ++used;
    *out = CString(text.data(), used);
    return TRUE;
}

HICON CXTPResourceManager::LoadIcon(UINT id, int width, int height)
{
    return LoadIconByName(MAKEINTRESOURCEW(id), width, height);
}

HICON CXTPResourceManager::LoadIconByName(LPCWSTR name, int width, int height)
{
    if (g_resourceModule && ::FindResourceW(g_resourceModule, name, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */)) {
        if (HANDLE icon = ::LoadImageW(g_resourceModule, name, IMAGE_ICON, width, height, LR_DEFAULTCOLOR))
            return static_cast<HICON>(icon);
    }
    const HINSTANCE program = GetProgramResources();
    if (!program)
        return nullptr;
    return static_cast<HICON>(::LoadImageW(program, name, IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

HICON CXTPResourceManager::CreateIconFromResource(HMODULE module, LPCWSTR name, int width, int height)
{
    DWORD groupSize = 0;
    BYTE* group = const_cast<BYTE*>(
        LockedBytes(module, ::FindResourceW(module, name, MAKEINTRESOURCEW(14)), groupSize));
    // A group directory is a 6-byte header (its count in bytes 4 and 5) and 14-byte entries. The
    // directory lookup trusts the count, so a group that claims more entries than it holds is
    // refused before it can be read past its end.
    if (!group || groupSize < 6 + 14)
        return nullptr;
    const DWORD entries = DWORD{group[4]} | (DWORD{group[5]} << 8);
    if (entries == 0 || groupSize < 6 + 14 * entries)
        return nullptr;
    const int iconId = ::LookupIconIdFromDirectoryEx(group, TRUE, width, height, LR_DEFAULTCOLOR);
    if (iconId == 0)
        return nullptr;
    DWORD iconSize = 0;
    BYTE* icon = const_cast<BYTE*>(
        LockedBytes(module, ::FindResourceW(module, MAKEINTRESOURCEW(iconId), MAKEINTRESOURCEW(3)), iconSize));
    if (!icon)
        return nullptr;
    return ::CreateIconFromResourceEx(icon, iconSize, TRUE, 0x30000, width, height, LR_DEFAULTCOLOR);
}

BOOL CXTPResourceManager::SetResourceFile(const wchar_t* path)
{
    FreeResourceModule();
    m_ownedModule = ::LoadLibraryW(path);
    if (!m_ownedModule)
        return FALSE;
    g_resourceModule = m_ownedModule;
    return TRUE;
}

void CXTPResourceManager::FreeResourceModule()
{
    if (!m_ownedModule)
        return;
    // Lookups must not go on into a library that is gone.
    if (g_resourceModule == m_ownedModule)
        g_resourceModule = nullptr;
    ::FreeLibrary(m_ownedModule);
    m_ownedModule = nullptr;
}

WORD CXTPResourceManager::GetResourcesLangID() const
{
    return m_languageInfo ? m_languageInfo->wLanguage : kEnglishUs;
}

void CXTPResourceManager::UpdateResourcesLangID()
{
    const HMODULE module = g_resourceModule ? g_resourceModule : GetProgramResources();
    SetResourceLanguage(DetectResourceLanguage(module));
}

void CXTPResourceManager::SetResourceLanguage(WORD language)
{
    const XTP_RESOURCEMANAGER_LANGINFO* record = LookupLanguageRecord(language);
    m_languageInfo = record ? record : LookupLanguageRecord(kEnglishUs);
}

BYTE CXTPResourceManager::GetFontCharset() const
{
    if (m_languageInfo && m_languageSet)
        return static_cast<BYTE>(m_languageInfo->nFontCharSet);
    return m_iconTitleCharset;
}

UINT CXTPResourceManager::GetMessageBoxFlags(UINT flags) const
{
    if (m_languageInfo && (m_languageInfo->nCodePage == 1255 || m_languageInfo->nCodePage == 1256))
        flags |= MB_RTLREADING;
    return flags;
}

int CXTPResourceManager::ShowMessageBox(const wchar_t* text, UINT flags) const
{
    return ::AfxMessageBox(text, GetMessageBoxFlags(flags));
}

int CXTPResourceManager::GetMenuItemText(HMENU menu, UINT item, CString& out, UINT flags) const
{
    out.Empty();
    if (!menu)
        return 0;
    const int length = ::GetMenuStringW(menu, item, nullptr, 0, flags);
    if (length <= 0)
        return length;
    std::vector<wchar_t> text(length + 1);
    const int copied = ::GetMenuStringW(menu, item, text.data(), length + 1, flags);
    if (copied > 0)
        out = CString(text.data(), copied);
    return copied;
}

int CXTPResourceManager::GetMenuItemText(CMenu* menu, UINT item, CString& out, UINT flags) const
{
    if (!menu || !menu->m_hMenu) {
        out.Empty();
        return 0;
    }
    // With a language record (always, here) the text is read through the wide call with an
    // exact buffer; the framework's own reader serves a manager without one.
    if (m_languageInfo)
        return GetMenuItemText(menu->m_hMenu, item, out, flags);
    return menu->GetMenuString(item, out, flags);
}

std::unique_ptr<char[]> CXTPResourceManager::ToNarrowTextBuffer(const wchar_t* text) const
{
    const UINT codePage = m_languageInfo ? m_languageInfo->nCodePage : CP_ACP;
    const int size = text ? ::WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr) : 0;
    auto buffer = std::make_unique<char[]>(size > 0 ? size : 1);
    buffer[0] = '\0';
    if (size > 0)
        ::WideCharToMultiByte(codePage, 0, text, -1, buffer.get(), size, nullptr, nullptr);
    return buffer;
}

CXTPResourceManager* GetResourceManager()
{
    static CXTPResourceManager manager;
    return &manager;
}
