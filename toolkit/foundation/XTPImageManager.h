#pragma once
// Image bitmap routines of the image manager: 32-bit alpha DIBs, premultiplying, telling whether
// a picture really carries alpha, loading bitmaps and icons from resources and files, splitting
// strips, and the bitmap block of the saved form. Everything that reads outside data checks it
// against its real length before a byte is copied.

#include "framework/Object.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

class CArchive;

// A 32-bit bottom-up DIB section (BI_RGB; bytes blue, green, red, alpha) of the size, its pixels
// zeroed, made for dc (the screen when null); *bits (when given) receives the pixel pointer, null
// on failure. Null when the section cannot be made.
HBITMAP CreateAlphaDibSection(HDC dc, int width, int height, void** bits = nullptr);

// True when width, height, planes and bits per pixel are equal.
BOOL IsSameBitmapFormat(const BITMAP& first, const BITMAP& second);

// A new DIB section with the same 32-bit pixels (bottom-up), or null (not 32 bits, no bitmap).
HBITMAP CopyAlphaBitmap(HBITMAP bitmap, BYTE** bits = nullptr);
// A new DIB section whose colour bytes are c x a / 255. With alphaTest given, it becomes 1 when
// any pixel has alpha above 0 and keeps its value otherwise. Null on failure.
HBITMAP PremultiplyAlphaBitmap(HBITMAP bitmap, int* alphaTest = nullptr, BYTE** bits = nullptr);

// The common-controls version the image routines act on. Tests set it (0 = ask the system):
// the system here reports 5.81, and alpha icons are only treated as such from 6.0 on.
void XTPSetComCtlVersionOverride(DWORD version);
BOOL IsComCtl6OrLater();
// True when common controls 6 or Windows XP are present and the icon's colour bitmap has a pixel
// whose alpha is above 0.
BOOL IsAlphaIcon(HICON icon);
// The icon's size from its mask (halved when the icon has no colour bitmap); 0 x 0 for none.
SIZE GetIconPixelSize(HICON icon);
// A new icon of the new width and proportional height; a copy when the width does not change;
// null for a new width of 0 or an old width or height of 0.
HICON ScaleIconToWidth(HICON icon, int oldWidth, int oldHeight, int newWidth);

BOOL IsPngFile(const wchar_t* path);
BOOL IsBmpFile32Bpp(const wchar_t* path);
BOOL IsPngResource(HMODULE module, LPCWSTR name);
BOOL IsBitmapResource32Bpp(HMODULE module, LPCWSTR name);

// A bottom-up alpha DIB from packed DIB data (a 40-byte BITMAPINFOHEADER followed by 32-bit
// pixels), as found in a 32-bit RT_BITMAP, RT_ICON or .ico entry. With halveHeight (icons) the
// header's height counts the colour rows and the AND mask together. The header must say 40 bytes,
// one plane, 32 bits, BI_RGB and a positive width and height within the caps, and the data must
// hold every pixel it describes; otherwise null.
HBITMAP CreateAlphaDibFromPackedDib(const void* data, size_t size, bool halveHeight);

HBITMAP LoadAlphaBitmapResource(HMODULE module, LPCWSTR name);
// A "PNG" resource through the PNG class, a 32-bit RT_BITMAP as an alpha DIB, any other bitmap
// through LoadImage. *alpha tells which kind came back.
HBITMAP LoadResourceBitmapFromModule(HMODULE module, LPCWSTR name, BOOL* alpha);
// A PNG or 32-bit .bmp file as an alpha DIB, anything else through LoadImage.
HBITMAP LoadImageFileAsBitmap(const wchar_t* path, BOOL* alpha);

// Cuts a 32-bit bitmap into count bitmaps of width / count each. False (nothing made) for a
// count of 0, a bitmap that is not 32 bits or narrower than count pixels.
BOOL SplitAlphaBitmap(HBITMAP bitmap, int count, HBITMAP* parts);

// One picture found in an icon resource or .ico file: an alpha bitmap for 32-bit and PNG images,
// an icon for the others. The caller owns the handle.
struct XTPLoadedIconImage {
    int width = 0;
    int height = 0;
    HBITMAP alphaBitmap = nullptr;
    HICON icon = nullptr;
};

// Decodes one icon image (the bytes of an RT_ICON resource or .ico entry). width and height are
// the size the directory gives. PNG data goes through the PNG class. False for anything damaged.
bool DecodeIconImage(const void* data, size_t size, int width, int height, XTPLoadedIconImage& out);

// The images of an .ico file whose size equals width x height (every image for 0 x 0). A
// directory byte of 0 means 256. Damaged entries are skipped; a damaged header gives false.
bool LoadIcoFileImages(const wchar_t* path, int width, int height, std::vector<XTPLoadedIconImage>& out);
bool LoadIcoImagesFromMemory(const void* data, size_t size, int width, int height,
                             std::vector<XTPLoadedIconImage>& out);

// One icon from module: with searchGroup and an RT_GROUP_ICON of the name, the directory is
// searched from its last entry to its first for the requested size; otherwise the RT_ICON of
// the name is decoded. False when nothing loads.
bool LoadIconResourceImage(HMODULE module, LPCWSTR name, int width, int height, bool searchGroup,
                           XTPLoadedIconImage& out);
// Every image of an icon group whose size equals width x height (all for 0 x 0).
bool LoadIconGroupImages(HMODULE module, LPCWSTR name, int width, int height,
                         std::vector<XTPLoadedIconImage>& out);

// A toolbar resource (type 241): version, button width, button height, item count, then the
// command ids, 0 for a separator. ids receives the non-separator ids in order. False for a
// missing or short resource.
bool LoadToolBarResource(HMODULE module, UINT id, std::vector<UINT>& ids, SIZE& buttonSize);

// The bitmap block of the saved icon form: a count H, then (when H is not 0) H bytes of
// BITMAPINFO, a count P and P bytes of DIB pixels. Reading checks the header it is given and
// throws the archive exception (badSchema) for a lying one; null for an empty block.
void WriteArchiveBitmap(CArchive& archive, HBITMAP bitmap);
HBITMAP ReadArchiveBitmap(CArchive& archive, BYTE** bits = nullptr);

// Each colour byte of the result is s + d x (255 - s.alpha) / 255: source over target, with the
// source premultiplied. The three must be 32-bit DIB sections of one size; the mirrored flags
// read the source or target rows right to left. The result's alpha is left as it was.
BOOL CompositeAlphaBitmaps(HBITMAP source, bool sourceMirrored, HBITMAP target, bool targetMirrored,
                           HBITMAP result);

// The grey of a disabled picture: L = (0.299 r + 0.587 g + 0.114 b) / 255 and the grey level
// int(255 x sqrt(L)), so black stays black, white white and 128 grey comes out at 180.
COLORREF DisabledGreyColor(COLORREF colour);
// The two-colour disabled form: each channel int(dark x (1 - L) + light x L).
COLORREF DisabledTwoColor(COLORREF colour, COLORREF light, COLORREF dark);
// Each channel becomes int(f x 255 + (1 - f) x c).
COLORREF LightenColor(COLORREF colour, double factor);

// Derived pictures, each a new handle the caller owns (null on failure).
// Alpha bitmaps (premultiplied 32-bit): faded moves every pixel with alpha a > 0 to
// int(0.7 c + 0.3 a); shadow paints every pixel the shadow colour premultiplied by its alpha;
// disabled un-premultiplies, applies the grey (or, with light and dark both given, the
// two-colour) form and premultiplies again. light or dark of CLR_INVALID means grey.
HBITMAP MakeFadedBitmap(HBITMAP premultiplied);
HBITMAP MakeShadowBitmap(HBITMAP premultiplied, COLORREF shadow);
HBITMAP MakeDisabledBitmap(HBITMAP premultiplied, COLORREF light = CLR_INVALID, COLORREF dark = CLR_INVALID);
// Plain icons: the same forms on every pixel whose mask is opaque (faded: 30% towards white).
HICON MakeFadedIcon(HICON icon);
HICON MakeShadowIcon(HICON icon, COLORREF shadow);
HICON MakeDisabledIcon(HICON icon, COLORREF light = CLR_INVALID, COLORREF dark = CLR_INVALID);

// ---------------------------------------------------------------------------------------------
// The manager: icon sets by command id, one icon per width. The pictures are kept as owned
// handles (an alpha DIB, premultiplied once asked for, or an icon).

class CXTPPropExchange;

class CXTPImageManagerIcon : public CObject {
public:
    // The version of the saved form this program writes; older streams hold fewer records.
    static constexpr DWORD kSchema = 38;

    CXTPImageManagerIcon(UINT id, int width, int height) : m_id(id), m_width(width), m_height(height) {}
    ~CXTPImageManagerIcon() override { Clear(); }
    CXTPImageManagerIcon(const CXTPImageManagerIcon&) = delete;
    CXTPImageManagerIcon& operator=(const CXTPImageManagerIcon&) = delete;

    UINT GetID() const { return m_id; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    HBITMAP GetAlphaBitmap() const { return m_alphaBitmap; }
    HICON GetIcon() const { return m_icon; }
    bool IsEmpty() const { return !m_alphaBitmap && !m_icon; }
    bool IsAlpha() const { return m_alphaBitmap != nullptr; }

    // Takes copies of the picture (the caller keeps its own); the height follows the picture.
    // An alpha bitmap is kept premultiplied.
    bool SetNormalIcon(HICON icon);
    bool SetNormalBitmap(HBITMAP alphaBitmap, bool premultiplied = false);
    void Clear();

    // The saved form: DWORD height, DWORD schema, then the normal, disabled and hot records,
    // checked above schema 7 and pressed above 16, each a colour and a mask bitmap block. A colour
    // and mask pair comes back as a 24-bit icon, a colour alone as an alpha bitmap (taken as
    // premultiplied above schema 24). Damaged blocks raise the archive exception.
    void Serialize(CArchive& archive) override;
    // Reads a stream written with an older schema: only the records that schema holds.
    void SerializeWithSchema(CArchive& archive, DWORD schema);

private:
    UINT m_id;
    int m_width;
    int m_height;
    HBITMAP m_alphaBitmap = nullptr;
    HICON m_icon = nullptr;
};

class CXTPImageManagerIconSet {
public:
    explicit CXTPImageManagerIconSet(UINT id) : m_id(id) {}
    UINT GetID() const { return m_id; }
    // Width 0: the smallest; 1: the largest; else the exact width, or with allowNearest the
    // nearest (the first met, smaller widths first, on a tie).
    CXTPImageManagerIcon* FindIcon(int width, bool allowNearest) const;
    // The icon of exactly that width, made with height 15 until it has a picture.
    CXTPImageManagerIcon* GetOrCreateIcon(int width);
    void RemoveAll() { m_icons.clear(); }
    // Takes the icon under its width, replacing any icon of that width.
    void InsertIcon(std::unique_ptr<CXTPImageManagerIcon> icon)
    {
        const int width = icon->GetWidth();
        m_icons[width] = std::move(icon);
    }
    const std::map<int, std::unique_ptr<CXTPImageManagerIcon>>& GetIcons() const { return m_icons; }

private:
    UINT m_id;
    std::map<int, std::unique_ptr<CXTPImageManagerIcon>> m_icons;
};

class CXTPImageManager {
public:
    CXTPImageManager() = default;
    CXTPImageManager(const CXTPImageManager&) = delete;
    CXTPImageManager& operator=(const CXTPImageManager&) = delete;

    COLORREF SetTransparentColor(COLORREF colour);
    COLORREF GetTransparentColor() const { return m_transparent; }

    // The normal picture of id at width (0 x 0: the picture's own size). False for an empty
    // picture or a size that stays 0.
    BOOL SetIcon(HICON icon, UINT id, int width = 0, int height = 0);
    BOOL SetAlphaBitmap(HBITMAP bitmap, UINT id, int width = 0, int height = 0);
    CXTPImageManagerIcon* LookupIcon(UINT id, int width) const;
    BOOL HasIcon(UINT id, int width) const;
    CXTPImageManagerIconSet* FindIconSet(UINT id) const;
    void RemoveAll() { m_sets.clear(); }

    // Saving and loading every set ("IconSet" sections with "Id") or one set ("CheckSum" and
    // "Icon" sections with "Width" and "Data"). Failures are results, never exceptions: a wrong
    // "CheckSum" stops the load of that set with FALSE before the set is touched.
    BOOL ExchangeIconSets(CXTPPropExchange* px);
    BOOL ExchangeIconSet(UINT id, CXTPPropExchange* px);
    // The framework serialisation through the archive store; a damaged stream raises the
    // archive exception (badClass for a wrong check sum).
    void Serialize(CArchive& archive);
    UINT GetCustomIdCounter() const { return m_customId; }

    // Cutting a strip: count 0 takes bitmap width / width icons; width and height 0 take
    // bitmap width / count. Ids 0 and 0xDEADBEAF are skipped unless ids and images pair one to
    // one. Refuses a count of 0 and an icon wider than the bitmap.
    BOOL AddIconsFromBitmap(HBITMAP bitmap, const UINT* ids, int count, int width, int height, BOOL alpha);
    BOOL AddIconsFromImageList(HIMAGELIST list, const UINT* ids, int count, int width, int height);
    BOOL AddToolBarIcons(HMODULE module, UINT toolbarId, UINT bitmapId);
    BOOL AddIconsFromIcoFile(const wchar_t* path, UINT id, int width, int height);
    BOOL AddIconGroupResource(HMODULE module, LPCWSTR name, UINT id, int width, int height);

private:
    bool Store(const XTPLoadedIconImage& image, UINT id);

    std::map<UINT, std::unique_ptr<CXTPImageManagerIconSet>> m_sets;
    UINT m_customId = 0;
    COLORREF m_transparent = static_cast<COLORREF>(-1);
};

CXTPImageManager* GetGlobalImageManager();
