#include "engine/model/CustomAction.h"

#include "engine/model/RecordArchive.h"

using namespace recordarchive;

void CCustomAction::Serialize(CArchive& ar)
{
    Exchange(ar, m_firstInt);
    Exchange(ar, m_secondInt);
    Exchange(ar, m_firstText);
    Exchange(ar, m_secondText);
    ExchangeSpareTexts(ar, 7);
    ExchangeSpareInts(ar, 8);
}

void CCustomActions::Serialize(CArchive& ar)
{
    ExchangeList(ar, *this);
}
