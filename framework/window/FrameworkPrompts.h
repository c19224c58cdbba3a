#pragma once
// String ids of the framework's own prompts. A program includes FrameworkPrompts.rc in its
// resource script to carry them (and may translate them there); when a string is missing from
// the resources, the framework falls back to the built-in English text (FrameworkPrompt).
// The ids sit high in the string-id space so they do not collide with a program's own.

#define IDP_FW_PARSE_INT 0xEF10          // text that is no int
#define IDP_FW_PARSE_UINT 0xEF11         // text that is no DWORD (negative, too big, not a number)
#define IDP_FW_STRING_TOO_LONG 0xEF12    // %d: the longest text allowed

#ifndef RC_INVOKED
#include "framework/String.h"

// The prompt's text from the resources, or its built-in English text when the string is missing.
CString FrameworkPrompt(UINT nID);
#endif
