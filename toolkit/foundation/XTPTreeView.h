#pragma once
// CXTPTreeView: a document view that is a platform tree ("SysTreeView32", WS_CHILD | WS_VISIBLE |
// WS_BORDER) with the toolkit's tree behaviour (XTPTreeBase.h); made by its run-time class.

#include "framework/window/View.h"
#include "toolkit/foundation/XTPTreeBase.h"

class CXTPTreeViewBase : public CXTPTreeT<CTreeView> {
public:
    CXTPTreeViewBase() = default;
};

class CXTPTreeView : public CXTPTreeViewBase {
    DECLARE_DYNCREATE(CXTPTreeView)
public:
    CXTPTreeView();
    ~CXTPTreeView() override;
};
