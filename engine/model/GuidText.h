#pragma once
// GUID texts: every record id and every key the MSI builder makes is tied to a new GUID.
// Braced form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", 38 characters, upper-case digits (the
// registry form). Bare form: the same 32 digits in the same order and case, no braces or dashes.

#include "framework/String.h"

// A new GUID in the braced form; an empty text when no GUID could be made.
CString NewGuidString();

// A new GUID in the bare form; an empty text when no GUID could be made.
CString NewGuidStringBare();

// The text with every "{", "}" and "-" removed; any other character stays. Of a braced GUID it
// gives the bare form.
CString StripGuidPunctuation(const CString& text);

namespace guidtext_detail {
// The makers over a replaceable GUID source, so that the failure path can be exercised.
using GuidSource = HRESULT(WINAPI*)(GUID* guid);
CString NewGuidStringFrom(GuidSource source);
} // namespace guidtext_detail
