#pragma once
// Boxed values: integers, doubles, enumerations, booleans, colours and strings as markup objects,
// with the text grammars that turn attribute text into them. Frequent values (the two booleans,
// enumerations 0 to 7, the empty, single-space and line-feed strings) are shared instances made on
// first use; every hand-out adds a reference, and the process drops its own at exit.

#include "toolkit/markup/XTPMarkupObject.h"

#include <vector>

class CXTPMarkupInt : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupInt)
public:
    explicit CXTPMarkupInt(int value = 0) : m_nValue(value) {}
    operator int() const { return m_nValue; }
    BOOL IsEqual(const CXTPMarkupObject* other) const override;
    // The text's leading integer (white space, a sign, digits); 0 when there is none.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

protected:
    int m_nValue;
};

class CXTPMarkupDouble : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupDouble)
public:
    explicit CXTPMarkupDouble(double value = 0) : m_dValue(value) {}
    operator double() const { return m_dValue; }
    BOOL IsEqual(const CXTPMarkupObject* other) const override;
    // The whole text as a number by the number grammar; null otherwise.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

protected:
    double m_dValue;
};

// Enumerations come only from the property converters; they have no text form of their own.
class CXTPMarkupEnum : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupEnum)
public:
    explicit CXTPMarkupEnum(int value = 0) : m_nValue(value) {}
    operator int() const { return m_nValue; }
    BOOL IsEqual(const CXTPMarkupObject* other) const override;

    // The shared value for 0 to 7, a new one otherwise; one reference for the caller.
    static CXTPMarkupEnum* CreateValue(int value);

protected:
    int m_nValue;
};

class CXTPMarkupBool : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupBool)
public:
    explicit CXTPMarkupBool(BOOL value = FALSE) : m_bValue(value ? TRUE : FALSE) {}
    operator BOOL() const { return m_bValue; }
    UINT GetHashKey() const override { return static_cast<UINT>(m_bValue); }
    BOOL IsEqual(const CXTPMarkupObject* other) const override;
    // "True" or "False" in any letter case, as the shared values.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

    // The shared values; one reference for the caller.
    static CXTPMarkupBool* CreateTrueValue();
    static CXTPMarkupBool* CreateFalseValue();
    static CXTPMarkupBool* CreateValue(BOOL value) { return value ? CreateTrueValue() : CreateFalseValue(); }

protected:
    BOOL m_bValue;
};

// A colour 0xAABBGGRR: a Windows colour reference with alpha on top.
class CXTPMarkupColor : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupColor)
public:
    explicit CXTPMarkupColor(DWORD value = 0) : m_nValue(value) {}
    // A red-green-blue value with alpha 255.
    static CXTPMarkupColor* FromRgb(COLORREF rgb) { return new CXTPMarkupColor(0xFF000000 | (rgb & 0xFFFFFF)); }

    DWORD GetValue() const { return m_nValue; }
    COLORREF GetRgb() const { return m_nValue & 0xFFFFFF; }
    BYTE GetAlpha() const { return static_cast<BYTE>(m_nValue >> 24); }
    operator DWORD() const { return m_nValue; }

    BOOL IsEqual(const CXTPMarkupObject* other) const override;
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;
    // A colour written as text between its tags ("<Color>Red</Color>").
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;

protected:
    DWORD m_nValue;
};

class CXTPMarkupString : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupString)
public:
    // length -1: up to the terminating 0.
    explicit CXTPMarkupString(const wchar_t* text = nullptr, int length = -1);

    // The shared instance for the empty, " " and line-feed texts, a new string otherwise.
    static CXTPMarkupString* CreateValue(const wchar_t* text, int length = -1);

    const wchar_t* GetBuffer() const { return m_lpszValue; }
    int GetLength() const { return m_nLength; }
    operator const wchar_t*() const { return m_lpszValue; }

    UINT GetHashKey() const override;
    BOOL IsEqual(const CXTPMarkupObject* other) const override;

protected:
    ~CXTPMarkupString() override;

    wchar_t* m_lpszValue; // owned, terminated
    int m_nLength;
};

// The shared instances and the new-string helper under their usual names.
CXTPMarkupString* CreateMarkupString(const wchar_t* text, int length = -1);
CXTPMarkupEnum* CreateMarkupEnum(int value);
CXTPMarkupBool* MarkupTrue();
CXTPMarkupBool* MarkupFalse();

// Text grammars. ParseMarkupNumber reads from *cursor and moves it past the number, the spaces
// after it and one separator (0: none); with requireEnd anything left fails.
BOOL ParseMarkupNumber(const wchar_t*& cursor, double& value, wchar_t separator = 0, BOOL requireEnd = TRUE);
// Numbers separated by commas or spaces; a null text fails, an empty one gives an empty list.
BOOL ParseMarkupFloatList(const wchar_t* text, std::vector<float>& values);
// "#RRGGBB", "#AARRGGBB" (two hexadecimal digits a field) or a colour name in any letter case.
BOOL ParseMarkupColor(const wchar_t* text, DWORD& color);
BOOL ParseMarkupNamedColor(const wchar_t* text, DWORD& color);

// Drops the process's references to the shared values (exit-time teardown).
void ReleaseMarkupSharedValues();
