#include "toolkit/markup/XTPMarkupThickness.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupThickness, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupThickness>,
                      nullptr)

BOOL CXTPMarkupThickness::IsEqual(const CXTPMarkupObject* other) const
{
    if (!other || other->GetType() != GetType())
        return FALSE;
    const CXTPMarkupThickness* thickness = static_cast<const CXTPMarkupThickness*>(other);
    return thickness->m_nLeft == m_nLeft && thickness->m_nTop == m_nTop && thickness->m_nRight == m_nRight &&
           thickness->m_nBottom == m_nBottom;
}
