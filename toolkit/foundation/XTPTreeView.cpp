#include "toolkit/foundation/XTPTreeView.h"

IMPLEMENT_DYNCREATE(CXTPTreeView, CTreeView)

CXTPTreeView::CXTPTreeView() { m_pTreeWnd = this; }

CXTPTreeView::~CXTPTreeView() = default;
