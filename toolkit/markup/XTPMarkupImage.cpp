#include "toolkit/markup/XTPMarkupImage.h"

#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

IMPLEMENT_MARKUPCLASS(L"Image", CXTPMarkupImage, CXTPMarkupFrameworkElement, &CreateMarkupObject<CXTPMarkupImage>,
                      &CXTPMarkupImage::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupImage::m_pSourceProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupImage::m_pStretchProperty = nullptr;

namespace {

// Pictures without alpha show this colour as transparent.
constexpr COLORREF kTransparentKey = 0x00FF00;
// An available length above this counts as unconstrained when stretching.
constexpr int kConstrainedLimit = 32000;

bool EndsWithIco(const std::wstring& path)
{
    if (path.size() < 3)
        return false;
    const std::wstring tail = path.substr(path.size() - 3);
    return _wcsicmp(tail.c_str(), L"ico") == 0;
}

} // namespace

void CXTPMarkupImage::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    m_pSourceProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Source", CXTPMarkupString::MarkupType(), MarkupType(), new Metadata(nullptr, Metadata::flagAffectsMeasure));
    m_pStretchProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Stretch", CXTPMarkupEnum::MarkupType(), MarkupType(),
        new Metadata(CreateMarkupEnum(0), &MarkupConvertStretch, Metadata::flagAffectsMeasure));
}

CXTPMarkupImage::~CXTPMarkupImage()
{
    ReleasePicture();
}

void CXTPMarkupImage::SetSource(const wchar_t* source)
{
    SetValue(m_pSourceProperty, source ? CreateMarkupString(source) : nullptr);
}

void CXTPMarkupImage::SetStretch(Stretch stretch)
{
    SetValue(m_pStretchProperty, CreateMarkupEnum(stretch));
}

void CXTPMarkupImage::ReleasePicture()
{
    if (m_pIcon) {
        m_pIcon->InternalRelease();
        m_pIcon = nullptr;
    }
    if (m_pImageManager) {
        m_pImageManager->InternalRelease();
        m_pImageManager = nullptr;
    }
}

void CXTPMarkupImage::LoadPicture(int availableWidth)
{
    // A cleared source takes the old picture with it: the element shows what its source says.
    ReleasePicture();
    const CXTPMarkupString* value = MarkupDynamicCast<CXTPMarkupString>(GetValue(m_pSourceProperty));
    if (!value)
        return;
    const std::wstring source = value->GetBuffer();
    UINT id = 0;

    if (source.rfind(L"file://", 0) == 0) {
        const std::wstring path = source.substr(7);
        m_pImageManager = new CXTPImageManager();
        m_pImageManager->SetTransparentColor(kTransparentKey);
        if (EndsWithIco(path)) {
            m_pImageManager->AddIconsFromIcoFile(path.c_str(), 0, 0, 0);
        } else {
            BOOL alpha = FALSE;
            if (HBITMAP bitmap = LoadImageFileAsBitmap(path.c_str(), &alpha)) {
                const UINT ids[1] = {0};
                m_pImageManager->AddIconsFromBitmap(bitmap, ids, 1, 0, 0, alpha);
                DeleteObject(bitmap);
            }
        }
    } else if (source.rfind(L"res://", 0) == 0) {
        const std::wstring name = source.substr(6);
        LPCWSTR resource = name.c_str();
        if (!name.empty() && name[0] == L'#')
            resource = MAKEINTRESOURCEW(static_cast<WORD>(_wtoi(name.c_str() + 1)));
        m_pImageManager = new CXTPImageManager();
        m_pImageManager->SetTransparentColor(kTransparentKey);
        BOOL alpha = FALSE;
        if (HBITMAP bitmap = LoadResourceBitmap(resource, &alpha)) {
            const UINT ids[1] = {0};
            m_pImageManager->AddIconsFromBitmap(bitmap, ids, 1, 0, 0, alpha);
            DeleteObject(bitmap);
        } else {
            m_pImageManager->AddIconResource(resource, 0, 0, 0);
        }
    } else {
        const int number = _wtoi(source.c_str());
        if (number <= 0)
            return;
        id = static_cast<UINT>(number);
        m_pImageManager = m_pMarkupContext ? m_pMarkupContext->GetImageManager() : GetGlobalImageManager();
        m_pImageManager->InternalAddRef();
    }

    m_pIcon = m_pImageManager->LookupIcon(id, availableWidth);
    if (m_pIcon)
        m_pIcon->InternalAddRef();
}

SIZE CXTPMarkupImage::ComputeSize(int width, int height) const
{
    const int iw = m_pIcon ? m_pIcon->GetWidth() : 0;
    const int ih = m_pIcon ? m_pIcon->GetHeight() : 0;
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(GetValue(m_pStretchProperty));
    const int stretch = value ? static_cast<int>(*value) : stretchNone;
    const bool widthConstrained = width <= kConstrainedLimit;
    const bool heightConstrained = height <= kConstrainedLimit;
    if (iw == 0 || ih == 0 || stretch == stretchNone || (!widthConstrained && !heightConstrained))
        return SIZE{iw, ih};

    double sx = static_cast<double>(width) / iw;
    double sy = static_cast<double>(height) / ih;
    if (!widthConstrained)
        sx = sy;
    else if (!heightConstrained)
        sy = sx;
    else if (stretch == stretchUniform)
        sx = sy = std::min(sx, sy);
    else if (stretch == stretchUniformToFill)
        sx = sy = std::max(sx, sy);
    return SIZE{static_cast<LONG>(iw * sx), static_cast<LONG>(ih * sy)};
}

SIZE CXTPMarkupImage::MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight)
{
    LoadPicture(availableWidth);
    return ComputeSize(availableWidth, availableHeight);
}

SIZE CXTPMarkupImage::ArrangeOverride(int finalWidth, int finalHeight)
{
    return ComputeSize(finalWidth, finalHeight);
}

void CXTPMarkupImage::OnRender(CXTPMarkupDrawingContext* dc)
{
    if (!m_pIcon || m_szRenderSize.cx <= 0 || m_szRenderSize.cy <= 0)
        return;
    HDC hdc = dc->GetDC();
    m_pIcon->Draw(hdc, 0, 0, m_pIcon->GetNormalImage(), m_szRenderSize.cx, m_szRenderSize.cy);
    dc->ReleaseDC(hdc);
}
