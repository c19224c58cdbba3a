#pragma once
// What foundation needs of the command-bar paint manager, without linking the themes library:
// its theme number. The command-bar paint manager implements this interface and installs a source
// for the toolkit-wide instance; until one is installed a stand-in answers theme 0.

class CXTPPaintManagerLink {
public:
    virtual ~CXTPPaintManagerLink() = default;
    // 0 default, 1 Office XP, 2 Office 2003, 3 native XP, 4 Whidbey, 5 resource, 6 ribbon,
    // 7 Visual Studio 2008, 9 Visual Studio 2010.
    virtual int GetThemeNumber() const = 0;
};

// Answers the toolkit-wide paint manager, making theme 0 when there is none yet.
using PFNXTPGETGLOBALPAINTMANAGER = CXTPPaintManagerLink* (*)();
void SetGlobalPaintManagerSource(PFNXTPGETGLOBALPAINTMANAGER source);
// The toolkit-wide paint manager (never null: the stand-in when no source is installed).
CXTPPaintManagerLink* GetGlobalPaintManagerLink();
int GetGlobalPaintThemeNumber();
