#pragma once
// Skin images and the style text, both resources of one module. CXTPResourceImages is the store:
// it keeps the style text ("TEXTFILE" resource), answers section/key lookups in it, and loads,
// caches and hands out images by name. A CXTPResourceImage draws any part of itself with a
// nine-grid sizing rule, with per-pixel alpha or a colour key.
//
// Style text: 8-bit, lines ended by CR (an LF after it is skipped); a last line without CR is not
// read. Blanks lead, ";" starts a comment, "[name]" opens a section, "key = value" lines are the
// entries; everything is compared and answered in upper case.

#include "framework/CmdTarget.h"
#include "framework/Map.h"
#include "framework/Rect.h"
#include "framework/String.h"

#include <windows.h>

class CDC;
class CXTPResourceImages;

class CXTPResourceImage : public CCmdTarget {
public:
    explicit CXTPResourceImage(CXTPResourceImages* images);
    ~CXTPResourceImage() override;

    BOOL LoadImage(HMODULE module, LPCWSTR name);
    // Takes over the bitmap (deleted here).
    BOOL SetBitmap(HBITMAP bitmap, BOOL alpha);
    BOOL ReadPixels(HBITMAP bitmap);
    void Premultiply();
    void Mirror();

    CSize GetExtent() const { return CSize(m_nWidth, m_nHeight); }
    CRect GetStateRect(int state, int count) const;
    BOOL IsAlphaImage() const { return m_bAlpha; }

    BOOL DrawPart(CDC* dc, const CRect& dst, CDC* srcDC, const CRect& src);
    // Margins: left, top, right and bottom sizing margins of the source.
    void DrawImage(CDC* dc, const CRect& dst, const CRect& src, const CRect& margins);
    void DrawImagePart(CDC* dc, const CRect& dst, const CRect& src) { DrawImage(dc, dst, src, CRect(0, 0, 0, 0)); }
    void DrawImageTransparent(CDC* dc, const CRect& dst, const CRect& src, const CRect& margins, COLORREF key);
    void DrawImageAlphaKey(CDC* dc, const CRect& dst, const CRect& src, const CRect& margins, COLORREF key,
                           UINT flags);

    // Rows as GetDIBits gives them (bottom-up), 32 bits per pixel.
    const DWORD* GetBits() const { return m_pBits; }

    DWORD* m_pBits = nullptr;   // malloc'ed
    BOOL m_bAlpha = FALSE;
    BOOL m_bPremultiplied = FALSE;
    BOOL m_bMayMirror = FALSE;
    BOOL m_bMirrored = FALSE;
    int m_nWidth = 0;
    int m_nHeight = 0;
    DWORD m_dwReserved = 0;
    CXTPResourceImages* m_pImages;

private:
    void FreePixels();
};

class CXTPResourceImages : public CCmdTarget {
public:
    // A memory context that remembers the bitmap it replaced.
    class CBitmapDC {
    public:
        CBitmapDC() = default;
        ~CBitmapDC();
        CBitmapDC(const CBitmapDC&) = delete;
        CBitmapDC& operator=(const CBitmapDC&) = delete;
        void SelectBitmap(HBITMAP bitmap);
        HDC m_hDC = nullptr;
        HBITMAP m_hPrevious = nullptr;
    };

    CXTPResourceImages();
    ~CXTPResourceImages() override;

    void SetHandle(HMODULE module, const wchar_t* styleName = nullptr, BOOL owns = FALSE);
    BOOL LoadStyle();
    BOOL IsValid() const { return m_pTextStart != nullptr; }

    CString GetValue(const wchar_t* section, const wchar_t* key) const;
    CString GetString(const wchar_t* section, const wchar_t* key) const { return GetValue(section, key); }
    COLORREF GetColor(const wchar_t* section, const wchar_t* key, COLORREF defaultColor) const;
    CRect GetRect(const wchar_t* section, const wchar_t* key, const CRect& defaultRect) const;
    int GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;

    CString GetImageResourceName(const wchar_t* imageName) const;
    // A virtual so that a store can count or redirect the module lookups.
    virtual CXTPResourceImage* LoadImage(const wchar_t* imageName);
    CXTPResourceImage* GetImage(const wchar_t* imageName);
    void ClearCache();

    static HRSRC FindStyleTextResource(HMODULE module);
    static BOOL ReadLine(CString& line, const char*& cursor, const char* end);

    CRITICAL_SECTION* GetLock() { return &m_lock; }
    HMODULE GetModule() const { return m_hModule; }
    const CString& GetStyleName() const { return m_strStyleName; }
    BOOL IsPremultiply() const { return m_bPremultiply; }

    // The shared 512 x 512 drawing surface (bottom-up, 32 bits).
    static constexpr int kSharedSize = 512;
    CBitmapDC m_dc;
    HBITMAP m_hSharedDib = nullptr;
    DWORD* m_pSharedBits = nullptr;

private:
    CString m_strReserved;
    CString m_strStyleName;
    HMODULE m_hModule = nullptr;
    const char* m_pTextStart = nullptr;
    const char* m_pTextEnd = nullptr;
    BOOL m_bOwnsModule = FALSE;
    CRITICAL_SECTION m_lock;
    BOOL m_bPremultiply = FALSE;
    CMapStringToPtr m_cache;
};

CXTPResourceImages* GetResourceImages();
