#pragma once
// A toolkit-style owner of the accessibility mix-in: a reference-counted command target that
// lists the accessible object in its interface table, as bars and controls do.

#include "toolkit/foundation/XTPAccessible.h"

#include <functional>

class CAccessibleTestObject : public CCmdTarget, public CXTPAccessible {
public:
    CCmdTarget* GetCmdTarget() override { return this; }
    void OnFinalRelease() override
    {
        if (onFinalRelease)
            onFinalRelease();
        CCmdTarget::OnFinalRelease();
    }

    std::function<void()> onFinalRelease;

    DECLARE_INTERFACE_MAP()
};
