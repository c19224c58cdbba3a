// Skin images and the style text.

#include "toolkit/foundation/XTPResourceImage.h"

#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPLockGuard.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// The helpers' AlphaBlend with a per-pixel alpha source at full constant alpha.
BOOL AlphaBlendPixels(HDC dst, const CRect& d, HDC src, const CRect& s)
{
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    PFNXTPALPHABLEND alphaBlend = GetDrawHelpers()->m_pfnAlphaBlend;
    if (!alphaBlend)
        return FALSE;
    return alphaBlend(dst, d.left, d.top, d.Width(), d.Height(), src, s.left, s.top, s.Width(), s.Height(), blend);
}

BOOL CALLBACK FirstStyleText(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param)
{
    *reinterpret_cast<HRSRC*>(param) = ::FindResourceW(module, name, type);
    return FALSE;    // the first name only
}

HBITMAP CreateDib32(int width, int height, DWORD** bits)
{
    void* pixels = nullptr;
    HBITMAP bitmap = CreateAlphaDibSection(nullptr, width, height, &pixels);
    *bits = static_cast<DWORD*>(pixels);
    return bitmap;
}

} // namespace

// ---- the image --------------------------------------------------------------------------------------

CXTPResourceImage::CXTPResourceImage(CXTPResourceImages* images) : m_pImages(images) {}

CXTPResourceImage::~CXTPResourceImage() { FreePixels(); }

void CXTPResourceImage::FreePixels()
{
    std::free(m_pBits);
    m_pBits = nullptr;
}

BOOL CXTPResourceImage::LoadImage(HMODULE module, LPCWSTR name)
{
    m_bAlpha = m_bPremultiplied = m_bMirrored = FALSE;
    FreePixels();
    if (!module)
        return FALSE;
    BOOL alpha = FALSE;
    HBITMAP bitmap = LoadResourceBitmapFromModule(module, name, &alpha);
    if (!bitmap)
        return FALSE;
    return SetBitmap(bitmap, alpha);
}

BOOL CXTPResourceImage::SetBitmap(HBITMAP bitmap, BOOL alpha)
{
    m_bAlpha = alpha;
    m_bMirrored = m_bPremultiplied = FALSE;
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof(info), &info)) {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    m_nWidth = info.bmWidth;
    m_nHeight = std::abs(info.bmHeight);
    const BOOL read = ReadPixels(bitmap);
    ::DeleteObject(bitmap);
    return read;
}

BOOL CXTPResourceImage::ReadPixels(HBITMAP bitmap)
{
    FreePixels();
    if (m_nWidth <= 0 || m_nHeight <= 0)
        return FALSE;
    const size_t count = static_cast<size_t>(m_nWidth) * m_nHeight;
    HDC screen = ::GetDC(nullptr);
    BOOL ok = FALSE;
    if (m_bAlpha) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        if (::GetDIBits(screen, bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS) && info.bmiHeader.biBitCount == 32) {
            info.bmiHeader.biHeight = m_nHeight;    // bottom-up, as the rows are kept
            info.bmiHeader.biCompression = BI_RGB;
            m_pBits = static_cast<DWORD*>(std::malloc(count * 4));
            ok = m_pBits && ::GetDIBits(screen, bitmap, 0, m_nHeight, m_pBits, &info, DIB_RGB_COLORS) == m_nHeight;
        }
    } else {
        DWORD* bits = nullptr;
        HBITMAP dib = CreateDib32(m_nWidth, m_nHeight, &bits);
        if (dib && bits) {
            HDC memory = ::CreateCompatibleDC(screen);
            HGDIOBJ old = ::SelectObject(memory, dib);
            ok = ::DrawStateW(memory, nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, 0, 0, m_nWidth,
                              m_nHeight, DST_BITMAP);
            ::GdiFlush();
            ::SelectObject(memory, old);
            ::DeleteDC(memory);
            if (ok) {
                m_pBits = static_cast<DWORD*>(std::malloc(count * 4));
                ok = m_pBits != nullptr;
                if (ok)
                    std::memcpy(m_pBits, bits, count * 4);
            }
        }
        if (dib)
            ::DeleteObject(dib);
    }
    ::ReleaseDC(nullptr, screen);
    if (!ok)
        FreePixels();
    return ok;
}

void CXTPResourceImage::Premultiply()
{
    if (m_bPremultiplied || !m_bAlpha || !m_pBits)
        return;
    const size_t count = static_cast<size_t>(m_nWidth) * m_nHeight;
    for (size_t i = 0; i < count; ++i) {
        const DWORD p = m_pBits[i];
        const DWORD a = p >> 24;
        const DWORD r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
        m_pBits[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
    m_bPremultiplied = TRUE;
}

void CXTPResourceImage::Mirror()
{
    if (!m_pBits)
        return;
    for (int y = 0; y < m_nHeight; ++y)
        std::reverse(m_pBits + static_cast<size_t>(y) * m_nWidth, m_pBits + static_cast<size_t>(y + 1) * m_nWidth);
    m_bMirrored = !m_bMirrored;
}

CRect CXTPResourceImage::GetStateRect(int state, int count) const
{
    if (count <= 0)
        return CRect(0, 0, 0, 0);
    const int h = m_nHeight / count;
    return CRect(0, state * h, m_nWidth, (state + 1) * h);
}

BOOL CXTPResourceImage::DrawPart(CDC* dc, const CRect& dst, CDC* srcDC, const CRect& src)
{
    if (dst.IsRectEmpty() || src.IsRectEmpty())
        return TRUE;
    if (m_bAlpha)
        return AlphaBlendPixels(dc->GetSafeHdc(), dst, srcDC->GetSafeHdc(), src);
    if (dst.Width() == src.Width() && dst.Height() == src.Height())
        return ::BitBlt(dc->GetSafeHdc(), dst.left, dst.top, dst.Width(), dst.Height(), srcDC->GetSafeHdc(), src.left,
                        src.top, SRCCOPY);
    return ::StretchBlt(dc->GetSafeHdc(), dst.left, dst.top, dst.Width(), dst.Height(), srcDC->GetSafeHdc(), src.left,
                        src.top, src.Width(), src.Height(), SRCCOPY);
}

void CXTPResourceImage::DrawImage(CDC* dc, const CRect& dst, const CRect& srcIn, const CRect& marginsIn)
{
    if (!m_pBits || !m_pImages || !dc)
        return;
    CRect margins = marginsIn;
    if (margins.top + margins.bottom > srcIn.Height())
        return;
    CXTPLockGuard lock(*m_pImages->GetLock());
    if (dst.Width() == srcIn.Width())
        margins.left = margins.right = 0;
    if (dst.Height() == srcIn.Height())
        margins.top = margins.bottom = 0;
    const int oldMode = ::SetStretchBltMode(dc->GetSafeHdc(), COLORONCOLOR);
    const BOOL mirrored = IsDCMirrored(dc);
    if (dst.IsRectEmpty()) {
        ::SetStretchBltMode(dc->GetSafeHdc(), oldMode);
        return;
    }
    if (m_bAlpha && m_bMayMirror && m_bMirrored != mirrored)
        Mirror();
    CXTPResourceImages::CBitmapDC& memory = m_pImages->m_dc;
    if (m_nWidth > CXTPResourceImages::kSharedSize || m_nHeight > CXTPResourceImages::kSharedSize || !memory.m_hDC ||
        !m_pImages->m_pSharedBits || srcIn.top < 0 || srcIn.bottom > m_nHeight) {
        ::SetStretchBltMode(dc->GetSafeHdc(), oldMode);
        return;
    }
    // The source rows go to the top of the shared surface, so the source moved to top 0 addresses
    // them there.
    const int rows = srcIn.Height();
    const int size = CXTPResourceImages::kSharedSize;
    for (int r = 0; r < rows; ++r) {
        const DWORD* from = m_pBits + static_cast<size_t>(m_nHeight - 1 - (srcIn.top + r)) * m_nWidth;
        DWORD* to = m_pImages->m_pSharedBits + static_cast<size_t>(size - 1 - r) * size;
        std::memcpy(to, from, static_cast<size_t>(m_nWidth) * 4);
    }
    memory.SelectBitmap(m_pImages->m_hSharedDib);
    CDC source;
    source.Attach(memory.m_hDC);
    const CRect src(srcIn.left, 0, srcIn.right, rows);

    // Destination margins.
    int top = margins.top, bottom = margins.bottom, left = margins.left, right = margins.right;
    const int dstW = dst.Width(), dstH = dst.Height();
    if (margins.top + margins.bottom > 0 &&
        (margins.top + margins.bottom >= dstH || margins.top + margins.bottom == src.Height())) {
        top = ::MulDiv(dstH, margins.top, margins.top + margins.bottom);
        bottom = dstH - top;
        if (bottom > 0 && (bottom % 2) != (margins.bottom % 2))
            bottom += 1;
    }
    if (margins.left + margins.right > 0 &&
        (margins.left + margins.right >= dstW || margins.left + margins.right == src.Width())) {
        left = dstW * margins.left / (margins.left + margins.right);
        right = dstW - left;
    }

    if (margins.left == 0 && margins.top == 0 && margins.right == 0 && margins.bottom == 0) {
        DrawPart(dc, dst, &source, src);
    } else {
        const bool swap = mirrored && m_bAlpha;
        // Destination widths of the left and right columns (swapped on a mirrored context).
        const int dl = swap ? right : left, dr = swap ? left : right;
        const int sl = margins.left, sr = margins.right, st = margins.top, sb = margins.bottom;
        const int dx[4] = {dst.left, dst.left + dl, dst.right - dr, dst.right};
        const int dy[4] = {dst.top, dst.top + top, dst.bottom - bottom, dst.bottom};
        const int sx[4] = {src.left, src.left + sl, src.right - sr, src.right};
        const int sy[4] = {src.top, src.top + st, src.bottom - sb, src.bottom};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                const int sc = swap ? 2 - col : col;    // the source piece drawn into this column
                const CRect d(dx[col], dy[row], dx[col + 1], dy[row + 1]);
                const CRect s(sx[sc], sy[row], sx[sc + 1], sy[row + 1]);
                DrawPart(dc, d, &source, s);
            }
        }
    }
    source.Detach();
    memory.SelectBitmap(nullptr);
    ::SetStretchBltMode(dc->GetSafeHdc(), oldMode);
}

void CXTPResourceImage::DrawImageTransparent(CDC* dc, const CRect& dst, const CRect& src, const CRect& margins,
                                             COLORREF key)
{
    if (!m_pBits || src.Height() < margins.top + margins.bottom)
        return;
    if (key == static_cast<COLORREF>(-1) || m_bAlpha) {
        DrawImage(dc, dst, src, margins);
        return;
    }
    HDC target = dc->GetSafeHdc();
    HBITMAP bitmap = ::CreateCompatibleBitmap(target, dst.Width(), dst.Height());
    if (!bitmap)
        return;
    HDC memoryDC = ::CreateCompatibleDC(target);
    HGDIOBJ old = ::SelectObject(memoryDC, bitmap);
    CDC memory;
    memory.Attach(memoryDC);
    const CRect local(0, 0, dst.Width(), dst.Height());
    memory.FillSolidRect(&local, key);
    DrawImage(&memory, local, src, margins);
    if (PFNXTPTRANSPARENTBLT transparentBlt = GetDrawHelpers()->m_pfnTransparentBlt)
        transparentBlt(target, dst.left, dst.top, dst.Width(), dst.Height(), memoryDC, 0, 0, dst.Width(), dst.Height(),
                       key);
    memory.Detach();
    ::SelectObject(memoryDC, old);
    ::DeleteDC(memoryDC);
    ::DeleteObject(bitmap);
}

void CXTPResourceImage::DrawImageAlphaKey(CDC* dc, const CRect& dst, const CRect& src, const CRect& margins,
                                          COLORREF key, UINT flags)
{
    if (!(flags & 1)) {
        DrawImageTransparent(dc, dst, src, margins, key);
        return;
    }
    if (m_bAlpha) {
        DrawImage(dc, dst, src, margins);
        return;
    }
    if (!m_pBits || dst.IsRectEmpty())
        return;
    DWORD* bits = nullptr;
    HBITMAP dib = CreateDib32(dst.Width(), dst.Height(), &bits);
    if (!dib || !bits) {
        if (dib)
            ::DeleteObject(dib);
        return;
    }
    const size_t count = static_cast<size_t>(dst.Width()) * dst.Height();
    const DWORD keyPixel = key == static_cast<COLORREF>(-1)
                               ? 0
                               : (static_cast<DWORD>(GetRValue(key)) << 16) | (GetGValue(key) << 8) | GetBValue(key);
    std::fill_n(bits, count, keyPixel);
    HDC memoryDC = ::CreateCompatibleDC(dc->GetSafeHdc());
    HGDIOBJ old = ::SelectObject(memoryDC, dib);
    CDC memory;
    memory.Attach(memoryDC);
    const CRect local(0, 0, dst.Width(), dst.Height());
    DrawImage(&memory, local, src, margins);
    ::GdiFlush();
    for (size_t i = 0; i < count; ++i)
        bits[i] = (bits[i] & 0x00FFFFFF) == keyPixel ? 0 : (bits[i] | 0xFF000000u);
    AlphaBlendPixels(dc->GetSafeHdc(), dst, memoryDC, local);
    memory.Detach();
    ::SelectObject(memoryDC, old);
    ::DeleteDC(memoryDC);
    ::DeleteObject(dib);
}

// ---- the store -------------------------------------------------------------------------------------

CXTPResourceImages::CBitmapDC::~CBitmapDC()
{
    SelectBitmap(nullptr);
    if (m_hDC)
        ::DeleteDC(m_hDC);
}

void CXTPResourceImages::CBitmapDC::SelectBitmap(HBITMAP bitmap)
{
    if (!m_hDC)
        return;
    if (bitmap) {
        HGDIOBJ old = ::SelectObject(m_hDC, bitmap);
        if (!m_hPrevious)
            m_hPrevious = static_cast<HBITMAP>(old);
    } else if (m_hPrevious) {
        ::SelectObject(m_hDC, m_hPrevious);
        m_hPrevious = nullptr;
    }
}

CXTPResourceImages* GetResourceImages()
{
    static CXTPResourceImages* images = new CXTPResourceImages();
    static struct Deleter {
        ~Deleter() { delete images; }
    } deleter;
    return images;
}

CXTPResourceImages::CXTPResourceImages()
{
    ::InitializeCriticalSection(&m_lock);
    m_cache.InitHashTable(199);
    void* bits = nullptr;
    m_hSharedDib = CreateAlphaDibSection(nullptr, kSharedSize, kSharedSize, &bits);
    m_pSharedBits = static_cast<DWORD*>(bits);
    m_dc.m_hDC = ::CreateCompatibleDC(nullptr);
    SetHandle(::GetModuleHandleW(nullptr), nullptr, FALSE);
}

CXTPResourceImages::~CXTPResourceImages()
{
    ClearCache();
    if (m_bOwnsModule && m_hModule)
        ::FreeLibrary(m_hModule);
    m_dc.SelectBitmap(nullptr);
    if (m_hSharedDib)
        ::DeleteObject(m_hSharedDib);
    ::DeleteCriticalSection(&m_lock);
}

void CXTPResourceImages::SetHandle(HMODULE module, const wchar_t* styleName, BOOL owns)
{
    if (m_bOwnsModule && m_hModule && m_hModule != module)
        ::FreeLibrary(m_hModule);
    m_strStyleName = styleName ? styleName : L"";
    m_strStyleName.Replace(L'.', L'_');
    m_bOwnsModule = owns;
    m_hModule = module;
    m_pTextStart = m_pTextEnd = nullptr;
    LoadStyle();
}

HRSRC CXTPResourceImages::FindStyleTextResource(HMODULE module)
{
    HRSRC found = nullptr;
    ::EnumResourceNamesW(module, L"TEXTFILE", FirstStyleText, reinterpret_cast<LONG_PTR>(&found));
    return found;
}

BOOL CXTPResourceImages::LoadStyle()
{
    ClearCache();
    m_pTextStart = m_pTextEnd = nullptr;
    if (!m_hModule)
        return FALSE;
    HRSRC resource = nullptr;
    if (!m_strStyleName.IsEmpty()) {
        resource = ::FindResourceW(m_hModule, m_strStyleName, L"TEXTFILE");
    } else {
        resource = ::FindResourceW(m_hModule, L"OFFICE2007BLUE_INI", L"TEXTFILE");
        if (resource)
            m_strStyleName = L"OFFICE2007BLUE_INI";
    }
    if (!resource && m_strStyleName.IsEmpty())
        resource = FindStyleTextResource(m_hModule);
    if (resource) {
        HGLOBAL global = ::LoadResource(m_hModule, resource);
        const char* text = global ? static_cast<const char*>(::LockResource(global)) : nullptr;
        if (text) {
            m_pTextStart = text;
            m_pTextEnd = text + ::SizeofResource(m_hModule, resource);
        }
    }
    m_bPremultiply = GetInt(L"Global", L"PremultiplyImages", 0) != 0;
    return m_pTextStart != nullptr;
}

BOOL CXTPResourceImages::ReadLine(CString& line, const char*& cursor, const char* end)
{
    if (!cursor)
        return FALSE;
    const char* cr = static_cast<const char*>(std::memchr(cursor, '\r', static_cast<size_t>(end - cursor)));
    if (!cr)
        return FALSE;
    line = CString(std::string(cursor, cr).c_str());
    cursor = cr + 1;
    if (cursor < end && *cursor == '\n')
        ++cursor;
    return TRUE;
}

CString CXTPResourceImages::GetValue(const wchar_t* section, const wchar_t* key) const
{
    if (!m_pTextStart || !section || !key)
        return CString();
    CString wantedSection(section), wantedKey(key);
    wantedSection.MakeUpper();
    wantedKey.MakeUpper();
    const char* cursor = m_pTextStart;
    bool inSection = false;
    CString line;
    while (ReadLine(line, cursor, m_pTextEnd)) {
        line.MakeUpper();
        line.TrimLeft(L" \t");
        if (line.IsEmpty() || line[0] == L';')
            continue;
        const int comment = line.Find(L';');
        if (comment >= 0)
            line = line.Left(comment);
        line.TrimRight(L" \t");
        if (line.IsEmpty())
            continue;
        if (line[0] == L'[') {
            if (inSection)
                return CString();    // the wanted section ended without the key
            inSection = line.Mid(1, line.GetLength() - 2) == wantedSection;
            continue;
        }
        if (!inSection)
            continue;
        const int equals = line.Find(L'=');
        if (equals < 1)
            continue;
        CString name = line.Left(equals);
        name.TrimRight(L" \t");
        if (name != wantedKey)
            continue;
        CString value = line.Mid(equals + 1);
        value.Trim(L" \t");
        return value;
    }
    return CString();
}

COLORREF CXTPResourceImages::GetColor(const wchar_t* section, const wchar_t* key, COLORREF defaultColor) const
{
    const CString value = GetValue(section, key);
    if (value.IsEmpty())
        return defaultColor;
    int r = 0, g = 0, b = 0;
    std::swscanf(value, L"%i %i %i", &r, &g, &b);
    return RGB(r & 0xFF, g & 0xFF, b & 0xFF);
}

CRect CXTPResourceImages::GetRect(const wchar_t* section, const wchar_t* key, const CRect& defaultRect) const
{
    const CString value = GetValue(section, key);
    if (value.IsEmpty())
        return defaultRect;
    int l = 0, t = 0, r = 0, b = 0;
    std::swscanf(value, L"%i %i %i %i", &l, &t, &r, &b);
    return CRect(l, t, r, b);
}

int CXTPResourceImages::GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    const CString value = GetValue(section, key);
    if (value.IsEmpty())
        return defaultValue;
    return static_cast<int>(std::wcstol(value, nullptr, 10));
}

CString CXTPResourceImages::GetImageResourceName(const wchar_t* imageName) const
{
    CString name = GetValue(L"Images", imageName);
    if (name.IsEmpty())
        name = imageName;
    name.Replace(L'.', L'_');
    name.Replace(L'\\', L'_');
    return name;
}

CXTPResourceImage* CXTPResourceImages::LoadImage(const wchar_t* imageName)
{
    auto* image = new CXTPResourceImage(this);
    if (!image->LoadImage(m_hModule, GetImageResourceName(imageName))) {
        delete image;
        return nullptr;
    }
    return image;
}

CXTPResourceImage* CXTPResourceImages::GetImage(const wchar_t* imageName)
{
    CXTPLockGuard lock(m_lock);
    if (!m_hModule || !imageName || !*imageName)
        return nullptr;
    void* cached = nullptr;
    if (m_cache.Lookup(imageName, cached))
        return static_cast<CXTPResourceImage*>(cached);
    CXTPResourceImage* image = LoadImage(imageName);
    if (image && m_bPremultiply)
        image->Premultiply();
    m_cache.SetAt(imageName, image);
    return image;
}

void CXTPResourceImages::ClearCache()
{
    CXTPLockGuard lock(m_lock);
    POSITION pos = m_cache.GetStartPosition();
    while (pos) {
        CString name;
        void* value = nullptr;
        m_cache.GetNextAssoc(pos, name, value);
        if (value)
            static_cast<CXTPResourceImage*>(value)->InternalRelease();
    }
    m_cache.RemoveAll();
}
