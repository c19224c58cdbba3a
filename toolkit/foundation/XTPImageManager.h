#pragma once
// Image bitmap routines of the image manager.

#include <windows.h>

// A 32-bit bottom-up DIB section (BI_RGB; bytes blue, green, red, alpha) of the size, its pixels
// zeroed, made for dc (the screen when null); *bits (when given) receives the pixel pointer, null
// on failure. Null when the section cannot be made.
HBITMAP CreateAlphaDibSection(HDC dc, int width, int height, void** bits = nullptr);
