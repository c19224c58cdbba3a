#pragma once
// Recognises 64-bit (x64) executables and libraries from their headers, without loading them.

// True when the file is a PE image whose machine is x64 (0x8664). False when the file cannot be
// opened for reading, is too short, lacks the "MZ" or "PE\0\0" signature, or names a header
// offset outside the file.
bool IsPe64File(const wchar_t* path);
