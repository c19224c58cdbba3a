#include "framework/window/ImageList.h"

#include "framework/window/DrawingHandleMap.h"

namespace {

struct ImageListTraits {
    using Object = CImageList;
    using Handle = HIMAGELIST;
    static CImageList* MakeTemporary(HIMAGELIST handle)
    {
        auto* list = new CImageList;
        list->m_hImageList = handle;
        return list;
    }
    static void Forget(CImageList* list) { list->m_hImageList = nullptr; }
    static bool Fits(CImageList*, HIMAGELIST) { return true; }
};
using ImageListMap = DrawingHandleMap<ImageListTraits>;

// A copy of the bitmap in the same form (a DIB section stays one, keeping its depth).
HBITMAP CopyBitmap(HBITMAP source)
{
    DIBSECTION dib;
    bool isDib = ::GetObjectW(source, sizeof(dib), &dib) == static_cast<int>(sizeof(dib));
    return static_cast<HBITMAP>(::CopyImage(source, IMAGE_BITMAP, 0, 0, isDib ? LR_CREATEDIBSECTION : 0));
}

} // namespace

IMPLEMENT_DYNCREATE(CImageList, CObject)

CImageList::~CImageList()
{
    DeleteImageList();
}

CImageList* PASCAL CImageList::FromHandle(HIMAGELIST handle)
{
    return ImageListMap::FromHandle(handle);
}

void PASCAL CImageList::DeleteTempMap()
{
    ImageListMap::DeleteTemps();
}

BOOL CImageList::Attach(HIMAGELIST handle)
{
    if (!handle || m_hImageList)
        return FALSE;
    m_hImageList = handle;
    ImageListMap::SetPermanent(handle, this);
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST handle = m_hImageList;
    if (handle)
        ImageListMap::RemovePermanent(handle, this);
    m_hImageList = nullptr;
    return handle;
}

BOOL CImageList::DeleteImageList()
{
    HIMAGELIST handle = Detach();
    return handle ? ImageList_Destroy(handle) : FALSE;
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    return Attach(ImageList_Create(cx, cy, flags, initial, grow));
}

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF maskColor)
{
    return Create(MAKEINTRESOURCEW(bitmapId), cx, grow, maskColor);
}

BOOL CImageList::Create(const wchar_t* bitmapName, int cx, int grow, COLORREF maskColor)
{
    return Attach(ImageList_LoadImageW(::GetModuleHandleW(nullptr), bitmapName, cx, grow, maskColor,
                                       IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

BOOL CImageList::Create(CImageList* source)
{
    return source ? Attach(ImageList_Duplicate(source->m_hImageList)) : FALSE;
}

int CImageList::GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
BOOL CImageList::SetImageCount(UINT count) { return ImageList_SetImageCount(m_hImageList, count); }
BOOL CImageList::GetImageInfo(int image, IMAGEINFO* info) const { return ImageList_GetImageInfo(m_hImageList, image, info); }
BOOL CImageList::GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }
COLORREF CImageList::GetBkColor() const { return ImageList_GetBkColor(m_hImageList); }
COLORREF CImageList::SetBkColor(COLORREF color) { return ImageList_SetBkColor(m_hImageList, color); }

int CImageList::Add(CBitmap* bitmap, CBitmap* mask)
{
    if (!bitmap)
        return -1;
    return ImageList_Add(m_hImageList, static_cast<HBITMAP>(bitmap->m_hObject),
                         mask ? static_cast<HBITMAP>(mask->m_hObject) : nullptr);
}

int CImageList::Add(CBitmap* bitmap, COLORREF maskColor)
{
    if (!bitmap || !bitmap->m_hObject)
        return -1;
    HBITMAP copy = CopyBitmap(static_cast<HBITMAP>(bitmap->m_hObject));
    if (!copy)
        return -1;
    int index = ImageList_AddMasked(m_hImageList, copy, maskColor);
    ::DeleteObject(copy);
    return index;
}

int CImageList::Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }

BOOL CImageList::Replace(int image, CBitmap* bitmap, CBitmap* mask)
{
    if (!bitmap)
        return FALSE;
    return ImageList_Replace(m_hImageList, image, static_cast<HBITMAP>(bitmap->m_hObject),
                             mask ? static_cast<HBITMAP>(mask->m_hObject) : nullptr);
}

int CImageList::Replace(int image, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, image, icon); }
BOOL CImageList::Remove(int image) { return ImageList_Remove(m_hImageList, image); }

BOOL CImageList::Copy(int destination, int source, UINT flags)
{
    return ImageList_Copy(m_hImageList, destination, m_hImageList, source, flags);
}

BOOL CImageList::Draw(CDC* dc, int image, POINT point, UINT style)
{
    return dc ? ImageList_Draw(m_hImageList, image, dc->m_hDC, point.x, point.y, style) : FALSE;
}

BOOL CImageList::DrawEx(CDC* dc, int image, POINT point, SIZE size, COLORREF background,
                        COLORREF foreground, UINT style)
{
    return dc ? ImageList_DrawEx(m_hImageList, image, dc->m_hDC, point.x, point.y, size.cx, size.cy,
                                 background, foreground, style)
              : FALSE;
}

HICON CImageList::ExtractIcon(int image) { return ImageList_GetIcon(m_hImageList, image, ILD_NORMAL); }
BOOL CImageList::SetOverlayImage(int image, int overlay) { return ImageList_SetOverlayImage(m_hImageList, image, overlay); }
