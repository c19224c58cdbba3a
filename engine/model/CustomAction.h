#pragma once
// CCustomAction: a custom action of a project. Nothing in the program creates one or gives its
// fields a meaning: records come from a package file, travel with their project and are written
// back unchanged, so a file that holds them keeps them.

#include "framework/Array.h"
#include "framework/Archive.h"

class CCustomAction {
public:
    CCustomAction() = default;
    CCustomAction(const CCustomAction&) = default;
    CCustomAction& operator=(const CCustomAction&) = default;
    CCustomAction(CCustomAction&&) noexcept = default;
    CCustomAction& operator=(CCustomAction&&) noexcept = default;
    virtual ~CCustomAction() = default;

    // One record: the two integers, the two texts, then spare room.
    void Serialize(CArchive& ar);

    int m_firstInt = 0;
    int m_secondInt = 0;
    CString m_firstText;
    CString m_secondText;
};

class CCustomActions : public CArray<CCustomAction, const CCustomAction&> {
public:
    // The count, then each record; loading replaces the list.
    void Serialize(CArchive& ar) override;
};
