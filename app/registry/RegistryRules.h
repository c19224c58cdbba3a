#pragma once
// The registry editor's window-free rules: how a value record is shown in the value list, the
// texts that the value dialog accepts for each type, the names of new values, and the key name
// that the key dialog accepts. The panes and dialogs only move texts between these and their
// controls, so everything a user can get wrong is testable without a window.
//
// Values are stored as text: a multi-string holds its strings joined by "[~]", a binary value
// hexadecimal digits, a DWORD value its unsigned decimal text. The installation monitor has
// captured DWORD values as signed numbers ("-1"); those are shown as their unsigned equal, and
// the value dialog stores that form the next time the value passes through it.

#include "engine/model/RegistryEntry.h"

#include "framework/String.h"

#include <windows.h>

// One row of the value-type table of the list and of its new-value commands.
struct RegistryValueTypeRow {
    int type;
    const wchar_t* typeText;    // the list's "Type" column
    int image;                  // in bitmap 153
    UINT newCommand;            // the command that makes a value of this type
    const wchar_t* newValue;    // the data of a new value
};

// The row of a type; a type number outside the table shows as a string.
const RegistryValueTypeRow& ValueTypeRow(int type);
// The type that a new-value command makes; -1 for any other command.
int ValueTypeOfCommand(UINT command);

// The separator of a multi-string's strings in its stored text.
inline constexpr wchar_t kMultiStringSeparator[] = L"[~]";
// The name column of the default (unnamed) value.
inline constexpr wchar_t kDefaultValueName[] = L"(Default)";

// The value name shown in the list's first column, and the name a row's text stands for.
// A value really named "(Default)" cannot be told from the default value by its row.
CString ValueNameForRow(const CString& name);
CString ValueNameFromRow(const CString& rowText);

// The text of the list's "Value" column and of the value dialog's box: a multi-string with each
// separator shown as a space, a captured negative DWORD as its unsigned equal, anything else as
// stored.
CString ShownValueText(const CRegistryEntry& record);

// A multi-string's stored text as the lines of the large editor (CR LF between them), and back.
CString MultiStringToLines(const CString& stored);
CString LinesToMultiString(const CString& lines);

// Binary data: only hexadecimal digits (an empty text passes; an odd count passes too, the
// builder pads it).
bool IsBinaryText(const CString& text);
// DWORD data: the decimal text of 0 to 4294967295 as stored, for a text the box may hold; false
// for anything else (signs, other characters, numbers past 32 bits).
bool ParseDwordText(const CString& text, CString* stored);
// A stored DWORD text as shown: "-1" captured by the monitor becomes "4294967295".
CString ShownDwordText(const CString& stored);

// "New Value #n" with the smallest n that no named value of the key has, in any letter case.
CString NewValueName(const CRegistryEntries& records, const CString& keyPath);

// The last name of a key path ("HKEY_CURRENT_USER\Software\A\" gives "A"), and the part before
// it with its backslash ("HKEY_CURRENT_USER\Software\"; empty for a root).
CString LastKeyName(const CString& keyPath);
CString KeyParentPath(const CString& keyPath);

// The characters no key name may hold: a backslash would make deeper keys, the rest are refused
// by the tree's label edit as well.
inline constexpr wchar_t kForbiddenKeyNameChars[] = L"\\/:*?\"<>|";

// Whether any root or key record has a path at or below keyPath, ignoring case: the tree shows
// such a key.
bool KeyExists(const CRegistryEntries& records, const CString& keyPath);

enum class KeyNameCheck { ok, empty, forbiddenCharacter, notRootName, siblingHasName };

// The key dialog's name box: double quotes are dropped and white space trimmed, giving *name;
// a name holding another forbidden character is refused, not cleaned; a name that another key
// under the same parent has (in any case) is refused. The key's own name in other letter case
// passes (it only changes the case of its path). A root key can only take another root's name
// (and that root exists, so in practice only its own in other case). *newPath is the parent of the edited key's path
// followed by the name and a backslash.
KeyNameCheck CheckKeyDialogName(const CRegistryEntries& records, const CString& editedPath,
                                const CString& openingPath, const CString& boxText, CString* name,
                                CString* newPath);

// The key options as the two check boxes show them, and back.
bool KeyAlwaysCreates(int options);
bool KeyDeletesAtUninstall(int options);
int KeyOptionsFromChecks(bool alwaysCreate, bool deleteAtUninstall);
