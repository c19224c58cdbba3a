// Image records, the icons of one command id with their state records and derived pictures,
// image-list entries and the manager's tables. Pictures copied into a manager's icons go into
// its shared strips so that many icons of one size share two GDI bitmaps.

#include "toolkit/foundation/XTPImageManager.h"

#include "framework/ResourceHandle.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPImageManagerResource.h"

#include <cstdlib>

namespace {

// Live objects, for the leak checks of the reference counting.
volatile LONG g_liveIcons = 0;
volatile LONG g_liveIconSets = 0;

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(description), &description))
        return SIZE{0, 0};
    return SIZE{description.bmWidth, description.bmHeight};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CXTPIconImage

void CXTPIconImage::Reset()
{
    m_icon = nullptr;
    m_bitmap = nullptr;
    m_bits = nullptr;
    m_slot = nullptr;
    m_owns = FALSE;
}

void CXTPIconImage::Clear()
{
    if (m_owns) {
        if (m_icon)
            DestroyIcon(m_icon);
        if (m_bitmap)
            DeleteObject(m_bitmap);
        if (m_slot && m_slot->strip)
            m_slot->strip->FreeSlot(m_slot);
    }
    Reset();
}

void CXTPIconImage::InitFromIcon(HICON icon, BOOL packable)
{
    // Whatever the record owned is given back first; taking over a handle never leaks one.
    Clear();
    m_icon = icon;
    const SIZE size = GetIconPixelSize(icon);
    m_width = size.cx;
    m_height = size.cy;
    m_packable = packable;
}

void CXTPIconImage::InitFromBitmap(HBITMAP bitmap)
{
    Clear();
    m_bitmap = bitmap;
    const SIZE size = BitmapSize(bitmap);
    m_width = size.cx;
    m_height = size.cy;
}

void CXTPIconImage::SetIcon(HICON icon)
{
    InitFromIcon(icon, m_packable);
    m_owns = icon != nullptr;
}

void CXTPIconImage::SetBitmap(HBITMAP bitmap)
{
    InitFromBitmap(bitmap);
    m_owns = bitmap != nullptr;
}

void CXTPIconImage::SetPremultipliedBitmap(HBITMAP bitmap)
{
    SetBitmap(bitmap);
    DIBSECTION section = {};
    if (bitmap && GetObjectW(bitmap, sizeof(section), &section) == sizeof(section))
        m_bits = static_cast<BYTE*>(section.dsBm.bmBits);
}

BOOL CXTPIconImage::IsEmpty() const
{
    return (!m_icon && !m_bitmap && !m_slot) || m_width == 0 || m_height == 0;
}

BOOL CXTPIconImage::IsAlpha() const
{
    return m_bitmap != nullptr || (m_slot && m_slot->alpha);
}

SIZE CXTPIconImage::ComputeSize() const
{
    if (m_slot && m_slot->strip)
        return m_slot->strip->GetIconSize();
    if (m_icon)
        return GetIconPixelSize(m_icon);
    if (m_bitmap)
        return BitmapSize(m_bitmap);
    return SIZE{0, 0};
}

HBITMAP CXTPIconImage::GetBitmap() const
{
    if (m_bitmap)
        return m_bitmap;
    return m_slot && m_slot->strip ? m_slot->strip->GetColorStrip() : nullptr;
}

BYTE* CXTPIconImage::GetBits()
{
    if (m_bits)
        return m_bits;
    if (!m_bitmap)
        return nullptr;
    BYTE* bits = nullptr;
    HBITMAP premultiplied = PremultiplyAlphaBitmap(m_bitmap, nullptr, &bits);
    if (!premultiplied)
        return nullptr;
    Clear();
    m_bitmap = premultiplied;
    m_bits = bits;
    m_owns = TRUE;
    const SIZE size = BitmapSize(premultiplied);
    m_width = size.cx;
    m_height = size.cy;
    return m_bits;
}

void CXTPIconImage::CopyFrom(CXTPIconImage& source)
{
    if (&source == this)
        return;
    Clear();
    const SIZE size = source.GetSize();
    const bool pack = m_manager && !source.IsEmpty() && m_manager->IsPackImages() && source.IsPackable();
    if (pack) {
        CXTPImageManagerResource* strip = m_manager->GetResourceStrip(size.cx, size.cy);
        if (strip) {
            if (source.m_slot) {
                CXTPIconImage standalone;
                standalone.CopyFrom(source);
                m_slot = strip->AddImage(standalone);
            } else {
                m_slot = strip->AddImage(source);
            }
        }
    } else if (source.m_icon) {
        m_icon = CopyIcon(source.m_icon);
    } else if (source.m_bitmap) {
        BYTE* bits = nullptr;
        m_bitmap = CopyAlphaBitmap(source.m_bitmap, &bits);
        if (source.m_bits)
            m_bits = bits;
    } else if (source.m_slot && source.m_slot->strip) {
        source.m_slot->strip->CopySlotToImage(*this, source.m_slot);
    }
    m_packable = source.m_packable;
    m_width = size.cx;
    m_height = size.cy;
    m_owns = TRUE;
}

void CXTPIconImage::Draw(HDC dc, int x, int y, int cx, int cy, BOOL composited)
{
    if (!dc || IsEmpty())
        return;
    if (m_slot) {
        if (m_slot->strip)
            m_slot->strip->DrawSlot(dc, m_slot, x, y, cx, cy, static_cast<BOOL>(composited));
        return;
    }
    if (m_icon) {
        CXTPImageManager* manager = m_manager ? m_manager : GetGlobalImageManager();
        const BOOL mirrored = manager->IsDrawMirrored(dc);
        if (mirrored) {
            x += cx;
            cx = -cx;
        }
        // DrawIconEx does not draw to a negative width everywhere; the blended path mirrors itself.
        if (composited || mirrored)
            DrawIconAlphaBlended(dc, x, y, cx, cy, m_icon);
        else
            DrawIconEx(dc, x, y, m_icon, cx, cy, 0, nullptr, DI_NORMAL);
        return;
    }
    if (!GetBits())
        return;
    int sourceY = 0;
    int height = m_height;
    if (y < 0 && cy == m_height) {
        // Only the rows below the top edge: blending from above it is not portable.
        sourceY = -y;
        height = y + m_height;
        if (height <= 0)
            return;
        cy = height;
        y = 0;
    }
    AlphaBlendBitmap(dc, m_bitmap, x, y, cx, cy, 0, sourceY, m_width, height);
}

BOOL CXTPIconImage::LoadIconResource(HMODULE module, LPCWSTR name, int width, int height, BOOL searchGroup)
{
    XTPLoadedIconImage loaded;
    if (!module || !LoadIconResourceImage(module, name, width, height, searchGroup != FALSE, loaded))
        return FALSE;
    if (loaded.alphaBitmap)
        SetBitmap(loaded.alphaBitmap);
    else
        SetIcon(loaded.icon);
    return !IsEmpty();
}

BOOL CXTPIconImage::LoadIconFromResourceModule(LPCWSTR name, int width, int height, BOOL searchGroup)
{
    HINSTANCE module = AfxGetResourceHandle();
    return module ? LoadIconResource(module, name, width, height, searchGroup) : FALSE;
}

// ---------------------------------------------------------------------------------------------
// CXTPImageManagerIcon

CXTPImageManagerIcon::CXTPImageManagerIcon(UINT id, int width, int height, CXTPImageManagerIconSet* set,
                                           CXTPImageManagerImageList* list)
    : m_id(id), m_width(width), m_height(height), m_set(set), m_list(list)
{
    for (CXTPIconImage& image : m_images)
        image.SetManager(set ? set->GetManager() : nullptr);
    InterlockedIncrement(&g_liveIcons);
}

CXTPImageManagerIcon::~CXTPImageManagerIcon()
{
    ClearImages(TRUE);
    InterlockedDecrement(&g_liveIcons);
}

LONG CXTPImageManagerIcon::GetLiveCount()
{
    return InterlockedCompareExchange(&g_liveIcons, 0, 0);
}

void CXTPImageManagerIcon::Detach()
{
    // The records may be slots of the manager's strips. They go back now, while the strips still
    // exist, rather than when the last reference goes: an icon a caller keeps past the manager
    // then holds nothing of the manager at all. Keeping the strips alive for such icons instead
    // would need the strips counted too and would keep a dead manager's bitmaps and lock around.
    ClearImages(TRUE);
    for (CXTPIconImage& image : m_images)
        image.SetManager(nullptr);
    m_set = nullptr;
    m_list = nullptr;
}

CXTPImageManager* CXTPImageManagerIcon::GetManager() const
{
    return m_set ? m_set->GetManager() : nullptr;
}

void CXTPImageManagerIcon::ClearStandalone() const
{
    m_standalone.Clear();
}

HBITMAP CXTPImageManagerIcon::GetAlphaBitmap() const
{
    CXTPIconImage& normal = const_cast<CXTPIconImage&>(m_images[kNormal]);
    if (!normal.IsAlpha())
        return nullptr;
    if (!normal.GetSlot())
        return normal.GetBits() ? normal.GetBitmap() : nullptr;
    if (m_standalone.IsEmpty() && normal.GetSlot()->strip)
        normal.GetSlot()->strip->CopySlotToImage(m_standalone, normal.GetSlot());
    return m_standalone.GetBitmap();
}

HICON CXTPImageManagerIcon::GetIcon() const
{
    const CXTPIconImage& normal = m_images[kNormal];
    if (normal.GetIcon())
        return normal.GetIcon();
    if (!normal.GetSlot() || normal.IsAlpha())
        return nullptr;
    if (m_standalone.IsEmpty() && normal.GetSlot()->strip)
        normal.GetSlot()->strip->CopySlotToImage(m_standalone, normal.GetSlot());
    return m_standalone.GetIcon();
}

bool CXTPImageManagerIcon::SetNormalIcon(HICON icon)
{
    CXTPIconImage image;
    image.InitFromIcon(icon);
    return !image.IsEmpty() && SetNormalImage(image);
}

bool CXTPImageManagerIcon::SetNormalBitmap(HBITMAP alphaBitmap, bool premultiplied)
{
    CXTPIconImage image;
    if (premultiplied)
        image.SetPremultipliedBitmap(CopyAlphaBitmap(alphaBitmap));
    else
        image.InitFromBitmap(alphaBitmap);
    return !image.IsEmpty() && SetNormalImage(image);
}

CXTPIconImage& CXTPImageManagerIcon::GetHotImage()
{
    return m_images[kHot].IsEmpty() ? m_images[kNormal] : m_images[kHot];
}

CXTPIconImage& CXTPImageManagerIcon::GetCheckedImage()
{
    return m_images[kChecked].IsEmpty() ? GetHotImage() : m_images[kChecked];
}

CXTPIconImage& CXTPImageManagerIcon::GetPressedImage()
{
    return m_images[kPressed].IsEmpty() ? GetHotImage() : m_images[kPressed];
}

CXTPIconImage& CXTPImageManagerIcon::GetFadedImage()
{
    if (m_images[kFaded].IsEmpty())
        MakeFadedImage();
    return m_images[kFaded].IsEmpty() ? m_images[kNormal] : m_images[kFaded];
}

CXTPIconImage& CXTPImageManagerIcon::GetShadowImage()
{
    if (m_images[kShadow].IsEmpty())
        MakeShadowImage();
    return m_images[kShadow];
}

CXTPIconImage& CXTPImageManagerIcon::GetDisabledImage(BOOL generate)
{
    if (!m_images[kDisabled].IsEmpty())
        return m_images[kDisabled];
    if (m_images[kGeneratedDisabled].IsEmpty() && generate)
        MakeDisabledImage();
    return m_images[kGeneratedDisabled];
}

BOOL CXTPImageManagerIcon::HasDisabledImage() const
{
    return !m_images[kDisabled].IsEmpty() || !m_images[kGeneratedDisabled].IsEmpty();
}

CXTPIconImage& CXTPImageManagerIcon::GetImageForState(int state)
{
    switch (state) {
    case xtpImageDisabled:
        return GetDisabledImage(TRUE);
    case xtpImageHot:
        return GetHotImage();
    case xtpImageChecked:
        return GetCheckedImage();
    case xtpImagePressed:
        return GetPressedImage();
    default:
        return m_images[kNormal];
    }
}

bool CXTPImageManagerIcon::IsOwnRecord(const CXTPIconImage& image) const
{
    return &image >= m_images && &image < m_images + kRecords;
}

BOOL CXTPImageManagerIcon::SetNormalImage(CXTPIconImage& source)
{
    // A record of this icon (its hot or generated image, say) is cleared below: copy it first.
    CXTPIconImage own;
    if (IsOwnRecord(source))
        own.CopyFrom(source);
    CXTPIconImage& image = IsOwnRecord(source) ? own : source;
    ClearImages(TRUE);
    m_images[kNormal].CopyFrom(image);
    const SIZE size = image.GetSize();
    if (size.cx > 0 && size.cy > 0) {
        m_width = size.cx;
        m_height = size.cy;
    }
    // The derived pictures of every width are made from the normal images of the set.
    if (m_set)
        m_set->ClearGeneratedImages();
    return TRUE;
}

BOOL CXTPImageManagerIcon::SetStateImage(int slot, CXTPIconImage& source)
{
    if (&source == &m_images[slot])
        return TRUE;
    CXTPIconImage own;
    if (IsOwnRecord(source))
        own.CopyFrom(source);
    ClearGeneratedImages();
    m_images[slot].CopyFrom(IsOwnRecord(source) ? own : source);
    return TRUE;
}

BOOL CXTPImageManagerIcon::SetHotImage(CXTPIconImage& image)
{
    return SetStateImage(kHot, image);
}

BOOL CXTPImageManagerIcon::SetCheckedImage(CXTPIconImage& image)
{
    return SetStateImage(kChecked, image);
}

BOOL CXTPImageManagerIcon::SetPressedImage(CXTPIconImage& image)
{
    return SetStateImage(kPressed, image);
}

BOOL CXTPImageManagerIcon::SetDisabledImage(CXTPIconImage& image)
{
    return SetStateImage(kDisabled, image);
}

void CXTPImageManagerIcon::ClearImages(BOOL includeNormal)
{
    for (int i = 0; i < kRecords; ++i)
        if (i != kNormal || includeNormal)
            m_images[i].Clear();
    ClearStandalone();
}

void CXTPImageManagerIcon::ClearGeneratedImages()
{
    m_images[kFaded].Clear();
    m_images[kShadow].Clear();
    m_images[kGeneratedDisabled].Clear();
}

void CXTPImageManagerIcon::MakeFadedImage()
{
    CXTPIconImage& normal = m_images[kNormal];
    if (!normal.IsPackable() || normal.IsEmpty())
        return;
    CXTPIconImage copy;
    copy.CopyFrom(normal);
    if (copy.IsAlpha()) {
        if (copy.GetBits())
            m_images[kFaded].SetPremultipliedBitmap(MakeFadedBitmap(copy.GetBitmap()));
        return;
    }
    if (!copy.GetIcon())
        return;
    // A screen of few colours would only dither the lighter picture: it stays a plain copy.
    HDC screen = GetDC(nullptr);
    const BOOL lowColour = IsLowColorDC(screen);
    ReleaseDC(nullptr, screen);
    m_images[kFaded].SetIcon(lowColour ? CopyIcon(copy.GetIcon()) : MakeFadedIcon(copy.GetIcon()));
}

void CXTPImageManagerIcon::MakeShadowImage()
{
    if (!m_images[kNormal].IsPackable())
        return;
    CXTPIconImage& hot = GetHotImage();
    if (hot.IsEmpty())
        return;
    const COLORREF base = GetColorManager()->GetColor(31);
    const COLORREF shadow = RGB(static_cast<int>(GetRValue(base) * 0.75), static_cast<int>(GetGValue(base) * 0.75),
                                static_cast<int>(GetBValue(base) * 0.75));
    CXTPIconImage copy;
    copy.CopyFrom(hot);
    if (copy.IsAlpha()) {
        if (copy.GetBits())
            m_images[kShadow].SetPremultipliedBitmap(MakeShadowBitmap(copy.GetBitmap(), shadow));
    } else if (copy.GetIcon()) {
        m_images[kShadow].SetIcon(MakeShadowIcon(copy.GetIcon(), shadow));
    }
}

void CXTPImageManagerIcon::MakeDisabledImage(COLORREF light, COLORREF dark)
{
    if (!m_images[kGeneratedDisabled].IsEmpty() || m_images[kNormal].IsEmpty())
        return;
    CXTPIconImage copy;
    copy.CopyFrom(m_images[kNormal]);
    if (copy.IsAlpha()) {
        if (copy.GetBits())
            m_images[kGeneratedDisabled].SetPremultipliedBitmap(MakeDisabledBitmap(copy.GetBitmap(), light, dark));
    } else if (copy.GetIcon()) {
        m_images[kGeneratedDisabled].SetIcon(MakeDisabledIcon(copy.GetIcon(), light, dark));
    }
}

void CXTPImageManagerIcon::Draw(HDC dc, int x, int y, CXTPIconImage& image, int cx, int cy, COLORREF background,
                                COLORREF foreground, UINT style)
{
    if (cx == 0)
        cx = m_width;
    if (cy == 0)
        cy = m_width ? cx * m_height / m_width : 0;
    if (m_list) {
        m_list->Draw(dc, x, y, this, cx, cy, background, foreground, style);
        return;
    }
    image.Draw(dc, x, y, cx, cy, m_drawComposited);
}

void CXTPImageManagerIcon::DrawMonochrome(HDC dc, int x, int y, CXTPIconImage& image, int cx, int cy,
                                          COLORREF colour)
{
    if (!dc || image.IsAlpha() || image.IsEmpty())
        return;
    if (cx == 0)
        cx = m_width;
    if (cy == 0)
        cy = m_width ? cx * m_height / m_width : 0;
    if (cx <= 0 || cy <= 0)
        return;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, cx, cy);
    HDC memory = CreateCompatibleDC(dc);
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        const RECT all = {0, 0, cx, cy};
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(memory, &all, white);
        DeleteObject(white);
        image.Draw(memory, 0, 0, cx, cy, FALSE);
        SelectObject(memory, old);
        HBRUSH brush = CreateSolidBrush(colour);
        DrawStateW(dc, brush, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, x, y, cx, cy, DST_BITMAP | DSS_MONO);
        DeleteObject(brush);
    }
    if (memory)
        DeleteDC(memory);
    if (bitmap)
        DeleteObject(bitmap);
}

COLORREF CXTPImageManagerIcon::LightenColor(COLORREF colour, double factor)
{
    return BlendColors(RGB(255, 255, 255), colour, factor);
}

COLORREF LightenColor(COLORREF colour, double factor)
{
    return CXTPImageManagerIcon::LightenColor(colour, factor);
}

// ---------------------------------------------------------------------------------------------
// CXTPImageManagerIconSet

CXTPImageManagerIconSet::CXTPImageManagerIconSet(UINT id, CXTPImageManager* manager) : m_id(id), m_manager(manager)
{
    InterlockedIncrement(&g_liveIconSets);
}

CXTPImageManagerIconSet::~CXTPImageManagerIconSet()
{
    RemoveAll();
    InterlockedDecrement(&g_liveIconSets);
}

LONG CXTPImageManagerIconSet::GetLiveCount()
{
    return InterlockedCompareExchange(&g_liveIconSets, 0, 0);
}

CXTPImageManagerIcon* CXTPImageManagerIconSet::FindIcon(int width, bool allowNearest) const
{
    if (m_icons.empty())
        return nullptr;
    if (width == 0)
        return m_icons.begin()->second.Get();
    if (width == 1)
        return m_icons.rbegin()->second.Get();
    auto exact = m_icons.find(width);
    if (exact != m_icons.end())
        return exact->second.Get();
    if (!allowNearest)
        return nullptr;
    CXTPImageManagerIcon* best = nullptr;
    int bestDistance = 0;
    for (const auto& [w, icon] : m_icons) {
        const int distance = std::abs(w - width);
        if (!best || distance < bestDistance) {
            best = icon.Get();
            bestDistance = distance;
        }
    }
    return best;
}

CXTPImageManagerIcon* CXTPImageManagerIconSet::GetOrCreateIcon(int width)
{
    auto found = m_icons.find(width);
    if (found != m_icons.end())
        return found->second.Get();
    // Made before it enters the map, so that a failure leaves no empty entry behind.
    auto icon = CXTPCmdTargetRef<CXTPImageManagerIcon>::Adopt(new CXTPImageManagerIcon(m_id, width, 15, this));
    return m_icons.emplace(width, std::move(icon)).first->second.Get();
}

void CXTPImageManagerIconSet::RemoveAll()
{
    // The map is emptied before any reference goes, so that nothing a released icon does can
    // reach an entry that is half removed.
    IconMap icons;
    icons.swap(m_icons);
    for (auto& [width, icon] : icons)
        icon->Detach();
}

BOOL CXTPImageManagerIconSet::RemoveIcon(int width)
{
    auto found = m_icons.find(width);
    if (found == m_icons.end())
        return FALSE;
    CXTPCmdTargetRef<CXTPImageManagerIcon> icon = std::move(found->second);
    m_icons.erase(found);
    icon->Detach();
    return TRUE;
}

BOOL CXTPImageManagerIconSet::InsertIcon(CXTPImageManagerIcon* icon)
{
    if (!icon || icon->GetIconSet() != this)
        return FALSE;
    CXTPCmdTargetRef<CXTPImageManagerIcon> held(icon);
    auto& slot = m_icons[icon->GetWidth()];
    if (slot.Get() == icon)
        return TRUE;
    CXTPCmdTargetRef<CXTPImageManagerIcon> replaced = std::move(slot);
    slot = std::move(held);
    if (replaced)
        replaced->Detach();
    return TRUE;
}

void CXTPImageManagerIconSet::Detach()
{
    RemoveAll();
    m_manager = nullptr;
}

void CXTPImageManagerIconSet::ClearGeneratedImages()
{
    for (auto& [width, icon] : m_icons)
        icon->ClearGeneratedImages();
}

// ---------------------------------------------------------------------------------------------
// CXTPImageManagerImageList

CXTPImageManagerImageList::~CXTPImageManagerImageList()
{
    ReleaseIcons();
    if (m_owns && m_list)
        ImageList_Destroy(m_list);
}

void CXTPImageManagerImageList::ReleaseIcons()
{
    std::map<UINT, CXTPCmdTargetRef<CXTPImageManagerIcon>> icons;
    icons.swap(m_icons);
    for (auto& [id, icon] : icons)
        icon->Detach();
}

BOOL CXTPImageManagerImageList::ContainsId(UINT id) const
{
    if (!m_list || id < m_firstId)
        return FALSE;
    const int count = ImageList_GetImageCount(m_list);
    return count > 0 && id - m_firstId < static_cast<UINT>(count);
}

SIZE CXTPImageManagerImageList::GetIconSize() const
{
    int cx = 0, cy = 0;
    if (m_list)
        ImageList_GetIconSize(m_list, &cx, &cy);
    return SIZE{cx, cy};
}

CXTPImageManagerIcon* CXTPImageManagerImageList::GetIcon(UINT id)
{
    if (!ContainsId(id))
        return nullptr;
    auto found = m_icons.find(id);
    if (found != m_icons.end())
        return found->second.Get();
    const SIZE size = GetIconSize();
    auto icon = CXTPCmdTargetRef<CXTPImageManagerIcon>::Adopt(
        new CXTPImageManagerIcon(id, static_cast<int>(size.cx), static_cast<int>(size.cy), this));
    return m_icons.emplace(id, std::move(icon)).first->second.Get();
}

void CXTPImageManagerImageList::Draw(HDC dc, int x, int y, CXTPImageManagerIcon* icon, int cx, int cy,
                                     COLORREF background, COLORREF foreground, UINT style)
{
    if (!dc || !icon || !ContainsId(icon->GetID()))
        return;
    ImageList_DrawEx(m_list, static_cast<int>(icon->GetID() - m_firstId), dc, x, y, cx, cy, background, foreground,
                     style | ILD_TRANSPARENT);
}

// ---------------------------------------------------------------------------------------------
// CXTPImageManager tables

CXTPImageManager::CXTPImageManager() = default;

CXTPImageManager::~CXTPImageManager()
{
    RemoveAll();
}

COLORREF CXTPImageManager::SetTransparentColor(COLORREF colour)
{
    const COLORREF previous = m_transparent;
    m_transparent = colour;
    return previous;
}

CXTPImageManagerIconSet* CXTPImageManager::FindIconSet(UINT id) const
{
    auto found = m_sets.find(id);
    return found == m_sets.end() ? nullptr : found->second.Get();
}

CXTPImageManagerImageList* CXTPImageManager::FindImageList(UINT id) const
{
    for (const auto& list : m_imageLists)
        if (list->ContainsId(id))
            return list.get();
    return nullptr;
}

void CXTPImageManager::AddImageList(HIMAGELIST list, UINT firstId, BOOL ownsList)
{
    if (list)
        m_imageLists.push_back(std::make_unique<CXTPImageManagerImageList>(list, firstId, ownsList));
}

CXTPImageManagerIcon* CXTPImageManager::LookupIcon(UINT id, int width) const
{
    if (CXTPImageManagerIconSet* set = FindIconSet(id))
        return set->FindIcon(width, true);
    if (CXTPImageManagerImageList* list = FindImageList(id))
        return list->GetIcon(id);
    return nullptr;
}

BOOL CXTPImageManager::HasIcon(UINT id, int width) const
{
    if (CXTPImageManagerIconSet* set = FindIconSet(id))
        return set->FindIcon(width, false) != nullptr;
    CXTPImageManagerImageList* list = FindImageList(id);
    return list && (width == 0 || width == list->GetIconSize().cx);
}

CXTPImageManagerResource* CXTPImageManager::GetResourceStrip(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    const DWORD key = (static_cast<DWORD>(height) << 16) | (static_cast<DWORD>(width) & 0xFFFF);
    auto& strip = m_strips[key];
    if (!strip)
        strip = std::make_unique<CXTPImageManagerResource>(this, width, height);
    return strip.get();
}

void CXTPImageManager::ResetGeneratedImages()
{
    for (auto& [id, set] : m_sets)
        set->ClearGeneratedImages();
    for (auto& list : m_imageLists)
        list->ReleaseIcons();
}

void CXTPImageManager::RemoveAll()
{
    // The icons give their slots back before the strips go, also those that a caller still holds
    // (they are detached and empty from here on).
    std::map<UINT, CXTPCmdTargetRef<CXTPImageManagerIconSet>> sets;
    sets.swap(m_sets);
    for (auto& [id, set] : sets)
        set->Detach();
    sets.clear();
    m_strips.clear();
    m_imageLists.clear();
}

BOOL CXTPImageManager::IsDrawMirrored(HDC dc) const
{
    if (m_mirroring == 0)
        return FALSE;
    if (m_mirroring == 1)
        return TRUE;
    return dc && GetDeviceLayout(dc) != 0;
}

BOOL CXTPImageManager::SetIcon(CXTPIconImage& image, UINT id, int width, int height, int state)
{
    if (image.IsEmpty())
        return FALSE;
    if (width == 0 && height == 0) {
        const SIZE size = image.GetSize();
        width = size.cx;
        height = size.cy;
    }
    if (width <= 0)
        return FALSE;
    if (CXTPImageManagerIconSet* set = FindIconSet(id)) {
        switch (state) {
        case xtpImageNormal:
            return set->SetNormalImage(image, width);
        case xtpImageDisabled:
            return set->SetDisabledImage(image, width);
        case xtpImageHot:
            return set->SetHotImage(image, width);
        case xtpImageChecked:
            return set->SetCheckedImage(image, width);
        case xtpImagePressed:
            return set->SetPressedImage(image, width);
        default:
            return TRUE;
        }
    }
    if (state != xtpImageNormal)
        return FALSE;
    auto set = CXTPCmdTargetRef<CXTPImageManagerIconSet>::Adopt(new CXTPImageManagerIconSet(id, this));
    set->SetNormalImage(image, width);
    m_sets[id] = std::move(set);
    return TRUE;
}

BOOL CXTPImageManager::SetIcon(HICON icon, UINT id, int width, int height, int state)
{
    CXTPIconImage image;
    image.InitFromIcon(icon);
    return SetIcon(image, id, width, height, state);
}

BOOL CXTPImageManager::SetAlphaBitmap(HBITMAP bitmap, UINT id, int width, int height, int state)
{
    CXTPIconImage image;
    image.InitFromBitmap(bitmap);
    return SetIcon(image, id, width, height, state);
}

bool CXTPImageManager::Store(const XTPLoadedIconImage& image, UINT id, int state)
{
    if (image.alphaBitmap)
        return SetAlphaBitmap(image.alphaBitmap, id, image.width, image.height, state) != FALSE;
    return image.icon && SetIcon(image.icon, id, image.width, image.height, state);
}

HBITMAP LoadResourceBitmap(LPCWSTR name, BOOL* alpha)
{
    if (alpha)
        *alpha = FALSE;
    HINSTANCE module = AfxGetResourceHandle();
    return module ? LoadResourceBitmapFromModule(module, name, alpha) : nullptr;
}

BOOL CXTPImageManager::AddIconsFromBitmapResource(LPCWSTR name, const UINT* ids, int count, int width, int height,
                                                  int state)
{
    BOOL alpha = FALSE;
    HBITMAP bitmap = LoadResourceBitmap(name, &alpha);
    if (!bitmap)
        return FALSE;
    const BOOL result = AddIconsFromBitmap(bitmap, ids, count, width, height, alpha, state);
    DeleteObject(bitmap);
    return result;
}

BOOL CXTPImageManager::AddIconsFromBitmapResourceId(UINT resourceId, const UINT* ids, int count, int width,
                                                    int height, int state)
{
    return AddIconsFromBitmapResource(MAKEINTRESOURCEW(resourceId), ids, count, width, height, state);
}

BOOL CXTPImageManager::AddToolBarIcons(UINT toolbarId, UINT bitmapId, int state)
{
    HINSTANCE module = AfxGetResourceHandle();
    return module ? AddToolBarIcons(module, toolbarId, bitmapId, state) : FALSE;
}

BOOL CXTPImageManager::AddIconResource(LPCWSTR name, UINT id, int width, int height, int state)
{
    HINSTANCE module = AfxGetResourceHandle();
    if (!module)
        return FALSE;
    if (FindResourceW(module, name, RT_GROUP_ICON)) {
        // A group stores what its members give; the answer does not depend on them.
        AddIconGroupResource(module, name, id, width, height, state);
        return TRUE;
    }
    CXTPIconImage image;
    if (!image.LoadIconResource(module, name, width, height, FALSE))
        return FALSE;
    return SetIcon(image, id, width, height, state);
}
