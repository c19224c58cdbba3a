#pragma once
// Image bitmap routines of the image manager: 32-bit alpha DIBs, premultiplying, telling whether
// a picture really carries alpha, loading bitmaps and icons from resources and files, splitting
// strips, and the bitmap block of the saved form. Everything that reads outside data checks it
// against its real length before a byte is copied.

#include "framework/CmdTarget.h"
#include "framework/Object.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <map>
#include <memory>
#include <utility>
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
// The same in the framework's resource module; null without one.
HBITMAP LoadResourceBitmap(LPCWSTR name, BOOL* alpha);
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

// ---------------------------------------------------------------------------------------------
// Blending. AlphaBlend and TransparentBlt are members of the manager (see below); these are the
// pieces under them and the ways pictures are drawn through them.

// Source over target through CompositeAlphaBitmaps, for contexts msimg32 cannot serve (no entry
// point, or a right-to-left target on the 9x platform). The source must be premultiplied.
BOOL AlphaBlendFallback(HDC target, int x, int y, int cx, int cy, HDC source, int sx, int sy, int sw, int sh);
// Copies the source rectangle onto the target leaving the key-coloured pixels untouched, with a
// 1-bit mask (SRCAND) and the key pixels of a copy blackened (SRCPAINT); stretched when the
// sizes differ.
BOOL MaskedTransparentBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sx, int sy, int sw, int sh,
                          UINT key);
// Blends a premultiplied 32-bit bitmap; a source size of 0 x 0 means the target size.
BOOL AlphaBlendBitmap(HDC target, HBITMAP bitmap, int x, int y, int cx, int cy, int sx = 0, int sy = 0, int sw = 0,
                      int sh = 0);
// Draws a plain icon so that what it covers is opaque and the rest transparent (magenta marks
// what the icon left alone), then blends it; a negative cx draws it mirrored into x + cx .. x.
BOOL DrawIconAlphaBlended(HDC target, int x, int y, int cx, int cy, HICON icon);
// The colour of one pixel of a bitmap; CLR_INVALID for a handle that is no bitmap.
COLORREF GetBitmapPixel(HBITMAP bitmap, int x, int y);
// Any picture OLE can read, drawn upright on the button face colour into an alpha DIB of the
// picture's size at screen resolution; null when OLE cannot read it.
HBITMAP LoadOlePictureAsBitmap(const wchar_t* path);

// ---------------------------------------------------------------------------------------------
// Image records: one picture each, a plain icon, a 32-bit alpha bitmap (premultiplied once its
// pixels have been asked for) or a slot of a manager's shared strip of its size.

class CXTPImageManager;
class CXTPImageManagerResource;
struct XTPImageSlot;

class CXTPIconImage {
public:
    CXTPIconImage() = default;
    ~CXTPIconImage() { Clear(); }
    CXTPIconImage(const CXTPIconImage&) = delete;
    CXTPIconImage& operator=(const CXTPIconImage&) = delete;

    // Take a picture without owning it (the caller keeps it alive while the record is used).
    void InitFromIcon(HICON icon, BOOL packable = TRUE);
    void InitFromBitmap(HBITMAP bitmap);
    // Take and own a picture.
    void SetIcon(HICON icon);
    void SetBitmap(HBITMAP bitmap);
    // Takes and owns a 32-bit DIB section whose pixels are already premultiplied.
    void SetPremultipliedBitmap(HBITMAP bitmap);
    // Frees what the record owns (a slot goes back to its strip); the size and packable flag stay.
    void Clear();

    BOOL IsEmpty() const;
    BOOL IsAlpha() const;
    SIZE GetSize() const { return SIZE{m_width, m_height}; }
    SIZE ComputeSize() const;
    HICON GetIcon() const { return m_icon; }
    // The record's bitmap, else the colour strip its slot lies in.
    HBITMAP GetBitmap() const;
    // The premultiplied pixels of an alpha bitmap, converting a straight-alpha bitmap on first use.
    BYTE* GetBits();
    XTPImageSlot* GetSlot() const { return m_slot; }
    BOOL IsPackable() const { return m_packable; }
    void SetPackable(BOOL packable) { m_packable = packable; }
    CXTPImageManager* GetManager() const { return m_manager; }
    void SetManager(CXTPImageManager* manager) { m_manager = manager; }

    // Clears the record, then packs the source into the manager's strip (manager with its pack
    // flag set and a packable source) or makes copies of its handles.
    void CopyFrom(CXTPIconImage& source);
    // Nothing for an empty record. Icons and plain slots follow the manager's mirroring rule;
    // an alpha bitmap drawn at a negative y with its own height loses the rows above the top.
    void Draw(HDC dc, int x, int y, int cx, int cy, BOOL composited = FALSE);

    // One icon of a module: with searchGroup an icon group of the name is searched from its
    // last entry for the size; otherwise the icon resource itself (32 bits: an alpha bitmap).
    BOOL LoadIconResource(HMODULE module, LPCWSTR name, int width, int height, BOOL searchGroup);
    BOOL LoadIconFromResourceModule(LPCWSTR name, int width, int height, BOOL searchGroup);

private:
    friend class CXTPImageManagerResource;
    void Reset();

    HICON m_icon = nullptr;
    HBITMAP m_bitmap = nullptr;
    BYTE* m_bits = nullptr;
    BOOL m_owns = FALSE;
    CXTPImageManager* m_manager = nullptr;
    XTPImageSlot* m_slot = nullptr;
    int m_width = 0;
    int m_height = 0;
    BOOL m_packable = TRUE;
};


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
// The manager: icon sets by command id, one icon per width, each icon with its state records
// (normal, hot, checked, pressed, disabled) and the records derived from them on demand (faded,
// shadow, grey disabled). Pictures copied into a manager's icons are packed into its shared
// strips, one per icon size, unless the manager's pack flag is clear.

class CXTPPropExchange;
class CXTPImageManagerIconSet;
class CXTPImageManagerImageList;
class CXTPDrawHelpers;
class CXTPOsVersionCache;

// Image states of the toolkit.
enum XTPImageState {
    xtpImageNormal = 0,
    xtpImageDisabled = 1,
    xtpImageHot = 2,
    xtpImageChecked = 3,
    xtpImagePressed = 4,
};

// One reference to a reference-counted command target (the manager's icons and icon sets),
// dropped when the holder dies or is reset. The constructor from a pointer adds a reference of
// its own; Adopt takes over one the caller already owns (the count of 1 a new object starts with).
template <class T>
class CXTPCmdTargetRef {
public:
    CXTPCmdTargetRef() noexcept = default;
    explicit CXTPCmdTargetRef(T* target) noexcept : m_p(target)
    {
        if (m_p)
            m_p->InternalAddRef();
    }
    static CXTPCmdTargetRef Adopt(T* target) noexcept
    {
        CXTPCmdTargetRef ref;
        ref.m_p = target;
        return ref;
    }
    CXTPCmdTargetRef(const CXTPCmdTargetRef& other) noexcept : CXTPCmdTargetRef(other.m_p) {}
    CXTPCmdTargetRef(CXTPCmdTargetRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CXTPCmdTargetRef& operator=(CXTPCmdTargetRef other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~CXTPCmdTargetRef() { Reset(); }

    // Drops the reference; the object may be deleted by it.
    void Reset() noexcept
    {
        if (T* target = std::exchange(m_p, nullptr))
            target->InternalRelease();
    }
    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// Icons and icon sets are reference counted (count 1 when made; the last InternalRelease deletes
// them). The manager holds one reference to each set, a set one to each icon and an image-list
// entry one to each icon it made; each drops it when it removes the entry. A caller that keeps an
// icon pointer across changes of the manager takes a reference of its own: once the manager, the
// set or the entry lets the icon go, the icon is detached (its pictures cleared, no owner) and
// stays a valid, empty object until the caller releases it.
class CXTPImageManagerIcon : public CCmdTarget {
public:
    // The version of the saved form this program writes; older streams hold fewer records.
    static constexpr DWORD kSchema = 38;

    CXTPImageManagerIcon(UINT id, int width, int height) : CXTPImageManagerIcon(id, width, height, nullptr, nullptr) {}
    CXTPImageManagerIcon(UINT id, int width, int height, CXTPImageManagerIconSet* set)
        : CXTPImageManagerIcon(id, width, height, set, nullptr)
    {
    }
    CXTPImageManagerIcon(UINT id, int width, int height, CXTPImageManagerImageList* list)
        : CXTPImageManagerIcon(id, width, height, nullptr, list)
    {
    }
    ~CXTPImageManagerIcon() override;
    CXTPImageManagerIcon(const CXTPImageManagerIcon&) = delete;
    CXTPImageManagerIcon& operator=(const CXTPImageManagerIcon&) = delete;

    UINT GetID() const { return m_id; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // The normal picture as a handle of its own: the record's bitmap or icon, or for a packed
    // record a standalone copy made on first request and kept until the icon changes.
    HBITMAP GetAlphaBitmap() const;
    HICON GetIcon() const;
    bool IsEmpty() const { return m_images[kNormal].IsEmpty() != FALSE; }
    bool IsAlpha() const { return m_images[kNormal].IsAlpha() != FALSE; }

    // Takes copies of the picture (the caller keeps its own) as the normal image. An alpha bitmap
    // is kept premultiplied.
    bool SetNormalIcon(HICON icon);
    bool SetNormalBitmap(HBITMAP alphaBitmap, bool premultiplied = false);
    void Clear() { ClearImages(TRUE); }

    CXTPImageManager* GetManager() const;
    CXTPImageManagerIconSet* GetIconSet() const { return m_set; }
    CXTPImageManagerImageList* GetImageList() const { return m_list; }
    SIZE GetImageSize() const { return m_images[kNormal].GetSize(); }

    CXTPIconImage& GetNormalImage() { return m_images[kNormal]; }
    CXTPIconImage& GetHotImage();
    CXTPIconImage& GetCheckedImage();
    CXTPIconImage& GetPressedImage();
    CXTPIconImage& GetFadedImage();
    CXTPIconImage& GetShadowImage();
    CXTPIconImage& GetDisabledImage(BOOL generate = TRUE);
    BOOL HasDisabledImage() const;
    BOOL HasAlphaImage() const { return m_images[kNormal].IsAlpha(); }
    CXTPIconImage& GetImageForState(int state);

    BOOL SetNormalImage(CXTPIconImage& image);
    BOOL SetHotImage(CXTPIconImage& image);
    BOOL SetCheckedImage(CXTPIconImage& image);
    BOOL SetPressedImage(CXTPIconImage& image);
    BOOL SetDisabledImage(CXTPIconImage& image);
    void ClearImages(BOOL includeNormal);
    void ClearGeneratedImages();

    void MakeFadedImage();
    void MakeShadowImage();
    // Two-colour form when both colours are given, grey otherwise; nothing when a generated
    // disabled image exists.
    void MakeDisabledImage(COLORREF light = CLR_INVALID, COLORREF dark = CLR_INVALID);

    // cx 0 means the icon's width, cy 0 keeps the icon's proportions. Icons of an image list draw
    // through it with the colours and style; the others draw the record.
    void Draw(HDC dc, int x, int y, CXTPIconImage& image, int cx = 0, int cy = 0, COLORREF background = CLR_INVALID,
              COLORREF foreground = CLR_INVALID, UINT style = 0);
    void DrawNormal(HDC dc, int x, int y) { Draw(dc, x, y, GetNormalImage()); }
    void DrawNormalSized(HDC dc, int x, int y, int cx, int cy) { Draw(dc, x, y, GetNormalImage(), cx, cy); }
    // A plain record drawn as one colour where it is not white; nothing for an alpha record.
    void DrawMonochrome(HDC dc, int x, int y, CXTPIconImage& image, int cx, int cy, COLORREF colour);

    // Draw plain pictures through the alpha paths so that the result carries real alpha.
    void SetDrawComposited(BOOL composited) { m_drawComposited = composited; }
    BOOL IsDrawComposited() const { return m_drawComposited; }

    // Each channel becomes int(f x 255 + (1 - f) x c).
    static COLORREF LightenColor(COLORREF colour, double factor);

    // The saved form: DWORD height, DWORD schema, then the normal, disabled and hot records,
    // checked above schema 7 and pressed above 16, each a colour and a mask bitmap block. A colour
    // and mask pair comes back as a 24-bit icon, a colour alone as an alpha bitmap (taken as
    // premultiplied above schema 24). Damaged blocks raise the archive exception.
    void Serialize(CArchive& archive) override;
    // Reads a stream written with an older schema: only the records that schema holds.
    void SerializeWithSchema(CArchive& archive, DWORD schema);

    // The icons alive in the process: a leak check for the reference counting.
    static LONG GetLiveCount();

private:
    friend class CXTPImageManagerIconSet;
    friend class CXTPImageManagerImageList;

    enum { kNormal, kFaded, kShadow, kHot, kChecked, kPressed, kDisabled, kGeneratedDisabled, kRecords };

    CXTPImageManagerIcon(UINT id, int width, int height, CXTPImageManagerIconSet* set,
                         CXTPImageManagerImageList* list);
    BOOL SetStateImage(int slot, CXTPIconImage& image);
    bool IsOwnRecord(const CXTPIconImage& image) const;
    void ClearStandalone() const;
    // Called by the set or image-list entry that is about to drop its reference.
    void Detach();

    UINT m_id;
    int m_width;
    int m_height;
    BOOL m_drawComposited = FALSE;
    CXTPIconImage m_images[kRecords];
    CXTPImageManagerIconSet* m_set = nullptr;
    CXTPImageManagerImageList* m_list = nullptr;
    mutable CXTPIconImage m_standalone;
};

class CXTPImageManagerIconSet : public CCmdTarget {
public:
    explicit CXTPImageManagerIconSet(UINT id, CXTPImageManager* manager = nullptr);
    ~CXTPImageManagerIconSet() override;
    CXTPImageManagerIconSet(const CXTPImageManagerIconSet&) = delete;
    CXTPImageManagerIconSet& operator=(const CXTPImageManagerIconSet&) = delete;

    using IconMap = std::map<int, CXTPCmdTargetRef<CXTPImageManagerIcon>>;

    UINT GetID() const { return m_id; }
    // Null once the manager has removed the set.
    CXTPImageManager* GetManager() const { return m_manager; }
    // Width 0: the smallest; 1: the largest; else the exact width, or with allowNearest the
    // nearest (the first met, smaller widths first, on a tie).
    CXTPImageManagerIcon* FindIcon(int width, bool allowNearest) const;
    // The icon of exactly that width, made with height 15 until it has a picture.
    CXTPImageManagerIcon* GetOrCreateIcon(int width);
    // Clears and lets go of every icon.
    void RemoveAll();
    // Clears and lets go of the icon of that width; FALSE when there is none.
    BOOL RemoveIcon(int width);
    // Takes a reference of its own to an icon of this set under its width; an icon already there
    // under that width is let go as RemoveIcon does. Icons of other sets are refused.
    BOOL InsertIcon(CXTPImageManagerIcon* icon);
    const IconMap& GetIcons() const { return m_icons; }

    BOOL SetNormalImage(CXTPIconImage& image, int width) { return GetOrCreateIcon(width)->SetNormalImage(image); }
    BOOL SetDisabledImage(CXTPIconImage& image, int width) { return GetOrCreateIcon(width)->SetDisabledImage(image); }
    BOOL SetHotImage(CXTPIconImage& image, int width) { return GetOrCreateIcon(width)->SetHotImage(image); }
    BOOL SetCheckedImage(CXTPIconImage& image, int width) { return GetOrCreateIcon(width)->SetCheckedImage(image); }
    BOOL SetPressedImage(CXTPIconImage& image, int width) { return GetOrCreateIcon(width)->SetPressedImage(image); }
    void ClearGeneratedImages();

    // The icon sets alive in the process: a leak check for the reference counting.
    static LONG GetLiveCount();

private:
    friend class CXTPImageManager;
    // Called by the manager that is about to drop its reference: the icons go, and so does the
    // pointer to the manager.
    void Detach();

    UINT m_id;
    CXTPImageManager* m_manager;
    IconMap m_icons;
};

// An image list that stands for the icons of a run of command ids: id n is image n - first.
class CXTPImageManagerImageList {
public:
    CXTPImageManagerImageList(HIMAGELIST list, UINT firstId, BOOL ownsList)
        : m_list(list), m_firstId(firstId), m_owns(ownsList)
    {
    }
    ~CXTPImageManagerImageList();
    CXTPImageManagerImageList(const CXTPImageManagerImageList&) = delete;
    CXTPImageManagerImageList& operator=(const CXTPImageManagerImageList&) = delete;

    HIMAGELIST GetHandle() const { return m_list; }
    BOOL ContainsId(UINT id) const;
    SIZE GetIconSize() const;
    // The icon standing for id, made on first request and kept until ReleaseIcons.
    CXTPImageManagerIcon* GetIcon(UINT id);
    void Draw(HDC dc, int x, int y, CXTPImageManagerIcon* icon, int cx, int cy, COLORREF background,
              COLORREF foreground, UINT style);
    // Lets go of the icons made so far; an icon a caller still holds stops drawing through the list.
    void ReleaseIcons();

private:
    HIMAGELIST m_list;
    UINT m_firstId;
    BOOL m_owns;
    std::map<UINT, CXTPCmdTargetRef<CXTPImageManagerIcon>> m_icons;
};

// Reference counted like its icons (count 1 when made); a manager that is a member or a local
// is simply destroyed with its owner.
class CXTPImageManager : public CCmdTarget {
public:
    CXTPImageManager();
    ~CXTPImageManager() override;
    CXTPImageManager(const CXTPImageManager&) = delete;
    CXTPImageManager& operator=(const CXTPImageManager&) = delete;

    COLORREF SetTransparentColor(COLORREF colour);
    COLORREF GetTransparentColor() const { return m_transparent; }

    // Whether pictures copied into this manager's icons are packed into the shared strips.
    void SetPackImages(BOOL pack) { m_pack = pack; }
    BOOL IsPackImages() const { return m_pack; }

    // The picture of id at width (0 x 0: the picture's own size) for a state (0 normal,
    // 1 disabled, 2 hot, 3 checked, 4 pressed). Only the normal state makes a set for a new id.
    // False for an empty picture, a size that stays 0, or another state without a set.
    BOOL SetIcon(CXTPIconImage& image, UINT id, int width, int height, int state);
    BOOL SetIcon(HICON icon, UINT id, int width = 0, int height = 0, int state = 0);
    BOOL SetAlphaBitmap(HBITMAP bitmap, UINT id, int width = 0, int height = 0, int state = 0);
    CXTPImageManagerIcon* LookupIcon(UINT id, int width) const;
    BOOL HasIcon(UINT id, int width) const;
    CXTPImageManagerIconSet* FindIconSet(UINT id) const;
    CXTPImageManagerImageList* FindImageList(UINT id) const;
    // An image list covering the ids first .. first + count - 1; with ownsList the manager
    // destroys the list with the entry.
    void AddImageList(HIMAGELIST list, UINT firstId, BOOL ownsList);
    // The strip for icons of the size, made when missing.
    CXTPImageManagerResource* GetResourceStrip(int width, int height);
    // Drops every faded, shadow and generated disabled image and the icons the image lists made.
    void ResetGeneratedImages();
    // Removes every set, strip and image list.
    void RemoveAll();

    // Mirroring of plain icons and strip slots: 0 never, 1 always, 2 when the context is laid out
    // right to left (the default).
    void SetMirroringMode(int mode) { m_mirroring = mode; }
    int GetMirroringMode() const { return m_mirroring; }
    BOOL IsDrawMirrored(HDC dc) const;

    // Per-pixel alpha blending of a premultiplied source; through msimg32 unless it is missing
    // or cannot serve the context, then through AlphaBlendFallback.
    BOOL AlphaBlend(HDC target, LPCRECT targetRect, HDC source, LPCRECT sourceRect);
    // Colour-keyed copy; through msimg32 from Windows 2000 on, else MaskedTransparentBlt.
    BOOL TransparentBlt(HDC target, LPCRECT targetRect, HDC source, LPCRECT sourceRect, UINT key);
    // The blending entry points and system version the two above act on (null: the process's).
    void SetDrawHelpers(CXTPDrawHelpers* helpers) { m_drawHelpers = helpers; }
    void SetOsVersion(const CXTPOsVersionCache* version) { m_osVersion = version; }

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
    BOOL AddIconsFromBitmap(HBITMAP bitmap, const UINT* ids, int count, int width, int height, BOOL alpha,
                            int state = 0);
    BOOL AddIconsFromImageList(HIMAGELIST list, const UINT* ids, int count, int width, int height, int state = 0);
    BOOL AddToolBarIcons(HMODULE module, UINT toolbarId, UINT bitmapId, int state = 0);
    BOOL AddIconsFromIcoFile(const wchar_t* path, UINT id, int width, int height, int state = 0);
    BOOL AddIconGroupResource(HMODULE module, LPCWSTR name, UINT id, int width, int height, int state = 0);
    // The same from the framework's resource module.
    BOOL AddIconsFromBitmapResource(LPCWSTR name, const UINT* ids, int count, int width, int height, int state = 0);
    BOOL AddIconsFromBitmapResourceId(UINT resourceId, const UINT* ids, int count, int width, int height,
                                      int state = 0);
    BOOL AddToolBarIcons(UINT toolbarId, UINT bitmapId, int state = 0);
    // An icon group of the name (whatever its members give), else the single icon resource.
    BOOL AddIconResource(LPCWSTR name, UINT id, int width, int height, int state = 0);

private:
    bool Store(const XTPLoadedIconImage& image, UINT id, int state = 0);
    CXTPDrawHelpers* DrawHelpers() const;
    const CXTPOsVersionCache& OsVersion() const;

    BOOL m_pack = TRUE;
    std::map<UINT, CXTPCmdTargetRef<CXTPImageManagerIconSet>> m_sets;
    std::vector<std::unique_ptr<CXTPImageManagerImageList>> m_imageLists;
    std::map<DWORD, std::unique_ptr<CXTPImageManagerResource>> m_strips;
    UINT m_customId = 0x10AAA;
    COLORREF m_transparent = static_cast<COLORREF>(-1);
    int m_mirroring = 2;
    CXTPDrawHelpers* m_drawHelpers = nullptr;
    const CXTPOsVersionCache* m_osVersion = nullptr;
};

CXTPImageManager* GetGlobalImageManager();
