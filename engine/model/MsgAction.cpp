#include "engine/model/MsgAction.h"

#include "engine/model/RecordArchive.h"

using namespace recordarchive;

// The stored form keeps the rectangle and the point as blocks of int32 values.
static_assert(sizeof(RECT) == 16 && sizeof(POINT) == 8, "RECT and POINT must be int32 fields");

void CMsgAction::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        m_result.Empty();
    Exchange(ar, m_kind);
    Exchange(ar, m_delay);
    Exchange(ar, m_continueOnFailure);
    Exchange(ar, m_processName);
    Exchange(ar, m_windowPath);
    Exchange(ar, m_reservedText);
    Exchange(ar, m_controlType);
    ExchangeRaw(ar, &m_windowRect, sizeof(m_windowRect));
    Exchange(ar, m_controlText);
    Exchange(ar, m_controlId);
    for (int& reserved : m_reservedInts)
        Exchange(ar, reserved);
    ExchangeRaw(ar, &m_point, sizeof(m_point));
    ExchangeSpareTexts(ar, 7);
    ExchangeSpareInts(ar, 8);
}

void CMsgActions::Serialize(CArchive& ar)
{
    ExchangeList(ar, *this);
}
