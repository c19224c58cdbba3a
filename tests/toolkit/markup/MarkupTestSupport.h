#pragma once
// Shared ground of the markup tests: a fixture that proves every test leaves the count of live
// markup objects where it found it, and a value that records its own destruction.

#include "tests/support/TestSupport.h"
#include "toolkit/markup/XTPMarkupDependencyProperty.h"
#include "toolkit/markup/XTPMarkupTypeRegistry.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <gtest/gtest.h>

namespace markuptests {

// Makes what lives for the whole process (types, registered properties, the shared values) before
// the count is taken, so that only what a test makes and forgets shows up.
inline void MakeProcessStatics()
{
    RegisterMarkupTypesOnce();
    MarkupTrue()->Release();
    MarkupFalse()->Release();
    for (int i = 0; i < 8; ++i)
        CreateMarkupEnum(i)->Release();
    CreateMarkupString(L"")->Release();
    CreateMarkupString(L" ")->Release();
    CreateMarkupString(L"\n")->Release();
}

class MarkupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeProcessStatics();
        m_liveAtStart = CXTPMarkupObject::GetLiveObjectCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(m_liveAtStart, CXTPMarkupObject::GetLiveObjectCount()) << "markup objects leaked or freed twice";
    }

    LONG m_liveAtStart = 0;
};

// An integer value that tells when it dies.
class CTrackedInt : public CXTPMarkupInt {
public:
    CTrackedInt(int value, bool* destroyed) : CXTPMarkupInt(value), m_pDestroyed(destroyed) { *destroyed = false; }

protected:
    ~CTrackedInt() override { *m_pDestroyed = true; }

private:
    bool* m_pDestroyed;
};

} // namespace markuptests
