#pragma once
// Package files (".tkpj"): one package, stored by CProjectSettings::Serialize through a storing
// archive with a 4095-byte buffer over the enciphered file layer, and read back through a loading
// archive with a 4096-byte buffer.
//
// Both directions keep failures inside: a damaged, truncated or foreign file, a write error or a
// full disk makes the call return 0, never an exception. Saving writes a new file beside the old
// one and only then puts it in place, so an interrupted save leaves the old file whole; loading
// reads into a new package and hands it over only when the whole file was read.

#include "engine/model/ProjectSettings.h"

#include "framework/Archive.h"

#include <functional>

constexpr int kStoringBufferBytes = 4095; // one full buffer enciphers to exactly one 4096-byte unit
constexpr int kLoadingBufferBytes = 4096; // one request per unit

// Writes the package file; 1 when it was written whole and is in place, 0 otherwise.
[[nodiscard]] int SavePackageFile(const wchar_t* path, CProjectSettings& package);

// Reads the package file into package; 1 on success. 0 when the file cannot be opened, its format
// number is not 1002, or it is damaged; package is then left as it was.
[[nodiscard]] int LoadPackageFile(const wchar_t* path, CProjectSettings& package);

// The two halves of every enciphered file, shared by package files and the data file.
// StoreEncipheredFile runs store on a storing archive over a new temporary file in path's folder,
// flushes it to disk and then replaces path with it; false (and path untouched) when any step
// fails or store throws. LoadEncipheredFile runs load on a loading archive over path; false when
// the file cannot be opened, load returns false, or anything throws.
[[nodiscard]] bool StoreEncipheredFile(const wchar_t* path, const std::function<void(CArchive&)>& store);
[[nodiscard]] bool LoadEncipheredFile(const wchar_t* path, const std::function<bool(CArchive&)>& load);
