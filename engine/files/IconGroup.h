#pragma once
// Writes one icon group of an executable or library as an .ico file: the builder's shortcut
// icons and the editor's icon picker use it.
//
// The module is loaded as an image-resource data file: that works for modules of either
// architecture and runs none of their code. Every size read from the group is checked against
// the real size of its resource, so a damaged or hostile module cannot make the writer read past
// a resource; each image is written with the size of its resource.

#include "framework/Base.h"

// State of the search for the n-th icon group, in resource-enumeration order.
struct IconGroupEnumRecord {
    int wantedPosition = 0;  // 0: the first icon group
    int counter = 0;         // groups seen so far; back to 0 after each search
    bool found = false;
    WORD id = 0;             // the group's integer id, when it has one
    wchar_t name[128] = {};  // the group's text name, when it has one (up to 127 characters)

    // The found name in the form the resource functions take.
    const wchar_t* Name() const { return name[0] ? name : MAKEINTRESOURCEW(id); }
};

// Resource-enumeration callback over RT_GROUP_ICON: counts groups and stores the name of the
// wanted one in the IconGroupEnumRecord passed as param; FALSE (stop) once found.
BOOL CALLBACK EnumIconGroupProc(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param);

// Writes icon group groupName (MAKEINTRESOURCEW(id), a text, or null) of the module as an .ico
// file at targetPath, created anew: a 6-byte header, one 16-byte entry per image, a gap of 16
// zero bytes, then the images in entry order. With a null groupName the record picks the group
// by position (a null record means the first group). True on success; otherwise false with the
// Windows error as the thread's last error (8 when memory runs out, 13 for a damaged group), and
// no partly written file is left behind.
bool ExtractIconGroupToIcoFile(const wchar_t* groupName, IconGroupEnumRecord* record, const wchar_t* modulePath,
                               const wchar_t* targetPath);
