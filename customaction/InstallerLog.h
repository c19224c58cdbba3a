#pragma once
// The custom actions talk to the running installation only through its installer handle: they
// read the "CustomActionData" property and write their log lines as information messages, which
// the installer puts into its log file (and hands to an external user-interface handler).

#include "framework/String.h"

#include <windows.h>
#include <msi.h>

// The template of every log line: field 1 of the record is the text.
inline constexpr wchar_t kLogTemplate[] = L"-->Tarnwick Log: [1]";

// The text of the property "CustomActionData"; empty when it is unset or cannot be read.
CString GetCustomActionData(MSIHANDLE install);

// Sends one log line. A line that the installer cannot take is dropped: logging never stops an
// action.
void LogInstallerMessage(MSIHANDLE install, const CString& text);
// The same with a printf-style format (%s takes a wide string).
void LogInstallerFormat(MSIHANDLE install, const wchar_t* format, ...);
