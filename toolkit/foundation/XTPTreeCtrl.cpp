#include "toolkit/foundation/XTPTreeCtrl.h"

IMPLEMENT_DYNAMIC(CXTPTreeCtrl, CTreeCtrl)

CXTPTreeCtrl::CXTPTreeCtrl() { m_pTreeWnd = this; }

CXTPTreeCtrl::~CXTPTreeCtrl() = default;
