#pragma once
// Converters named in property metadata: each turns the text of a markup attribute into the
// property's value, or answers null so that the value type's own conversion is tried next. Word
// converters compare the whole text without regard to letter case.

#include "toolkit/markup/XTPMarkupObject.h"

// The length that stands for "no limit" (what "Auto" gives); any length above
// XTP_MARKUP_UNBOUNDED_LIMIT counts as unbounded.
constexpr int XTP_MARKUP_UNBOUNDED = 0x7FFFFFFF;
constexpr int XTP_MARKUP_UNBOUNDED_LIMIT = 0x3FFFFFFF;

inline bool IsMarkupUnbounded(int length)
{
    return length > XTP_MARKUP_UNBOUNDED_LIMIT;
}

// n, or n converted from the unit in the text's last two letters (pt, in, cm, mm) to pixels.
int MarkupConvertLength(int n, const wchar_t* text);

// "Auto" gives XTP_MARKUP_UNBOUNDED; otherwise the text's leading integer with an optional unit.
CXTPMarkupObject* MarkupConvertSize(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertVisibility(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertHorizontalAlignment(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertVerticalAlignment(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertOrientation(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertDock(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
// A system cursor identifier as a CXTPMarkupInt.
CXTPMarkupObject* MarkupConvertCursor(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
// Word converters of the text, inline, scroll-viewer and shape properties; each gives a
// CXTPMarkupEnum.
CXTPMarkupObject* MarkupConvertFontWeight(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertFontStyle(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
// "Underline", "Strikethrough" or the empty text.
CXTPMarkupObject* MarkupConvertTextDecorations(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertFontQuality(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertTextWrapping(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertTextTrimming(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertTextAlignment(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertBaselineAlignment(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertScrollBarVisibility(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertStretch(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
// The "Content" of content controls: any string becomes a new text block holding one run of it
// (made through the build's context). Defined with the text block.
CXTPMarkupObject* MarkupConvertContent(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
