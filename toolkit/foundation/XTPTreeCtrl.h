#pragma once
// CXTPTreeCtrl: the platform tree control with the toolkit's multiple selection, item colours
// and fonts, marquee, hot tracking and buffered painting (XTPTreeBase.h). Multiple selection
// starts off; EnableMultiSelect turns it on.

#include "toolkit/foundation/XTPTreeBase.h"

class CXTPTreeCtrlBase : public CXTPTreeT<CTreeCtrl> {
public:
    CXTPTreeCtrlBase() = default;
};

class CXTPTreeCtrl : public CXTPTreeCtrlBase {
    DECLARE_DYNAMIC(CXTPTreeCtrl)
public:
    CXTPTreeCtrl();
    ~CXTPTreeCtrl() override;
};
