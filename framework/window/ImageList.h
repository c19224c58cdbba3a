#pragma once
// CImageList: one owner of a common-controls image list. The wrapper that created or attached a
// list destroys it with itself; FromHandle answers that wrapper, or a temporary one (see Gdi.h
// for the rules of temporaries).

#include "framework/window/Dc.h"

#include <commctrl.h>

class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList() override;

    HIMAGELIST m_hImageList = nullptr;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    static CImageList* PASCAL FromHandle(HIMAGELIST handle);
    static void PASCAL DeleteTempMap();

    BOOL Attach(HIMAGELIST handle);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    // flags: ILC_COLOR* depth plus ILC_MASK; grow: how many images the list makes room for each
    // time it is full.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // A list from a bitmap resource of the program, cut into images cx wide; pixels of the mask
    // colour become transparent (CLR_NONE: no mask).
    BOOL Create(UINT bitmapId, int cx, int grow, COLORREF maskColor);
    BOOL Create(const wchar_t* bitmapName, int cx, int grow, COLORREF maskColor);
    BOOL Create(CImageList* source);    // a copy of another list

    int GetImageCount() const;
    BOOL SetImageCount(UINT count);
    BOOL GetImageInfo(int image, IMAGEINFO* info) const;
    BOOL GetIconSize(int* cx, int* cy) const;
    COLORREF GetBkColor() const;
    COLORREF SetBkColor(COLORREF color);

    // Adding answers the new image's index, -1 on failure. Add with a mask colour leaves the
    // caller's bitmap as it was (the platform call blackens its masked pixels, so a copy is used).
    int Add(CBitmap* bitmap, CBitmap* mask);
    int Add(CBitmap* bitmap, COLORREF maskColor);
    int Add(HICON icon);
    BOOL Replace(int image, CBitmap* bitmap, CBitmap* mask);
    int Replace(int image, HICON icon);
    BOOL Remove(int image);    // -1 removes all
    BOOL Copy(int destination, int source, UINT flags = ILCF_MOVE);

    // style: ILD_NORMAL, ILD_TRANSPARENT, ILD_MASK, ILD_SELECTED, ...
    BOOL Draw(CDC* dc, int image, POINT point, UINT style);
    BOOL DrawEx(CDC* dc, int image, POINT point, SIZE size, COLORREF background,
                COLORREF foreground, UINT style);
    // A new icon the caller destroys (DestroyIcon); null on failure.
    HICON ExtractIcon(int image);
    BOOL SetOverlayImage(int image, int overlay);
};
