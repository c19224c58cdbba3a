#pragma once
// CMsiTools: the MSI builder. It turns one package into a Windows Installer database: it checks
// the package, copies the template database "schema.bin" from the program's folder to the output
// path, opens the copy in direct mode and fills its tables step by step, reporting each step as a
// "> " line (and each error in the package's data as a "> !" line) to the output sink.
//
// One builder per build, on the build thread, over that thread's private copy of the package:
// construct, BuildPackage once, destroy. Builds in one process run one at a time (BuildPackage
// waits for a running one), so two builds never write one output file at once.

#include "engine/files/OutputSink.h"
#include "engine/model/ProjectSettings.h"
#include "engine/storage/Projects.h"
#include "engine/msi/MsiHandle.h"
#include "engine/msi/MsiNames.h"

#include <initializer_list>
#include <vector>

// Where the builder finds its files; empty members take the defaults.
struct MsiBuildOptions {
    // The folder holding "schema.bin" and "velt.bin", with its trailing backslash. Default: the
    // folder of the running program.
    CString programFolder;
    // The base of a file entry without a stored source path: the folder of the package file,
    // where the monitor leaves a repackaged project's files. Default (PackageFolderInList): the
    // folder of the listed package file this package was copied from, taken once when the builder
    // is constructed; the output folder only for a package that is not listed.
    CString packageFolder;
    // Where every output line of the build goes (not owned). Default: the process-wide output
    // sink as it is when the builder is constructed.
    IOutputSink* output = nullptr;
};

// One value of a statement's record: a text (an empty text is a null field), an integer, a null
// or the bytes of a file (a stream).
class MsiValue {
public:
    MsiValue(const CString& text) : m_text(text) {}
    MsiValue(const wchar_t* text) : m_text(text) {}
    MsiValue(int number) : m_kind(Kind::number), m_number(number) {}

    // A null field, also where the column holds integers.
    static MsiValue Null() { return MsiValue(Kind::null); }
    // The whole file, read into the record at once.
    static MsiValue Stream(const CString& filePath)
    {
        MsiValue value(Kind::stream);
        value.m_text = filePath;
        return value;
    }

    // Puts the value into field `field` (from 1) of the record.
    [[nodiscard]] UINT SetInto(MSIHANDLE record, UINT field) const;
    CString ToText() const;

private:
    enum class Kind { text, number, null, stream };
    explicit MsiValue(Kind kind) : m_kind(kind) {}

    Kind m_kind = Kind::text;
    CString m_text;
    int m_number = 0;
};

class CMsiTools {
public:
    // Result of BuildPackage for a package that fails validation.
    static constexpr int kInvalidPackage = -1;

    // The package is not owned and must outlive the builder.
    explicit CMsiTools(CProjectSettings* package, MsiBuildOptions options = {});
    CMsiTools(const CMsiTools&) = delete;
    CMsiTools& operator=(const CMsiTools&) = delete;
    virtual ~CMsiTools();

    // The whole build: 0 when the package was written and committed; -1 when the package failed
    // validation (nothing written); 13 for an error in the package's data; otherwise the Windows
    // error of the template copy or the Windows Installer error of the failed step. A table or
    // custom-action step that fails still commits what it wrote. Never throws.
    [[nodiscard]] int BuildPackage();

    // Clears the output and checks (trimming them in place) the product name, version, code and
    // company name; TRUE when the package may be built, else one "> !" line names the field.
    [[nodiscard]] BOOL ValidateData();

    // The table and packing steps in their fixed order; 0, or the code of the first that failed
    // after its failure line.
    [[nodiscard]] UINT WriteTables();

    // Table steps, each 0 or an error code; a step that returns 13 has sent its "> !" line.
    [[nodiscard]] UINT WriteFeatureTable();
    [[nodiscard]] UINT WriteDirectoryTable();
    [[nodiscard]] UINT WriteFilesTable();
    [[nodiscard]] UINT WriteShortcutTable();
    [[nodiscard]] UINT WriteServicesTable();
    [[nodiscard]] UINT WriteRegistryTable();
    // Puts the files where the installer looks for them and writes the Media row; nothing for a
    // package without files.
    [[nodiscard]] UINT PackFiles();
    // Registration actions, launch condition, product properties, then the summary information.
    [[nodiscard]] UINT WriteSequenceTable();
    // Stores a copy of the custom-action library carrying the package as its settings resource
    // (the library beside the program stays as it is) and adds the actions that call it; 13 for
    // more than kMaxWrappedProjects wrapped projects or a setup program missing from its files.
    [[nodiscard]] UINT AddCustomActionRec();

    // The two media layouts of PackFiles: the files copied beside the package under their tree
    // paths, or one cabinet stored in the database; each writes the Media row.
    [[nodiscard]] UINT CopyLooseFiles();
    [[nodiscard]] UINT CompressFiles();
    // The summary information stream; the last part of WriteSequenceTable.
    [[nodiscard]] UINT WriteSummaryInformation();

    // The custom-action library has the install entries INSTALLAction0 to 9 only.
    static constexpr int kMaxWrappedProjects = 10;

    // Runs one statement with the record's fields bound to its "?" markers (record 0: none). The
    // view slot's previous view is closed first; the new one stays there until the next call or
    // the slot's owner closes it. Returns the error of preparing it, or of executing it: a row the
    // database refuses (1627 for a duplicate key) is reported as a "> !" line naming the table and
    // rowKey, so that a step never goes on as if the row were there.
    [[nodiscard]] UINT ExecuteSql(UniqueMsiHandle& view, const wchar_t* statement, MSIHANDLE record,
                                  const CString& rowKey);

    // ExecuteSql with a new record holding the values in order. The row's key for the report is
    // the first keyColumns values joined by "/".
    [[nodiscard]] UINT InsertRow(UniqueMsiHandle& view, const wchar_t* statement,
                                 std::initializer_list<MsiValue> values, int keyColumns = 1);

    // The FileName / DefaultDir text of a tree path; short names stay unique per folder for the
    // whole build.
    CString MakeShortLongName(const CString& path) { return m_shortNames.MakeShortLongName(path); }
    // Keeps a path's name for itself when it is a valid 8.3 name (see CShortNames::Reserve); a
    // step reserves all its names before it makes any.
    void ReserveShortName(const CString& path) { m_shortNames.Reserve(path); }

    // The Feature key of a project: "_" and the project id without braces and dashes.
    static CString MakeFeatureKey(const CString& projectId);

    // Sends one line to the output sink; ClearOutput empties it.
    void AppendOutputString(const CString& line);
    void ClearOutput();
    void AppendOutputFormat(const wchar_t* format, ...);

    // State the later steps read.
    MSIHANDLE Database() const { return m_database.Get(); }
    CProjectSettings& Package() { return *m_package; }
    const CFileEntries& Folders() const { return m_folders; }
    int Is64Bit() const { return m_is64Bit; }
    const MsiBuildOptions& Options() const { return m_options; }

    // The 64-bit bit of a component's Attributes: set exactly when the package is a 64-bit package
    // and the component's target lies in the 64-bit world (a file below a 64-bit system folder, a
    // registry value of a 64-bit package, whose key path names its view itself). A 32-bit package
    // never carries one: the installer refuses a 64-bit component in it, and validation reports a
    // 32-bit component in a 64-bit folder.
    int Component64BitAttribute(bool targetIn64BitWorld) const
    {
        return m_is64Bit && targetIn64BitWorld ? CFileEntry::component64Bit : 0;
    }

    // The Directory key of a folder-list entry: the folder property for a root, "D_" + id for a
    // folder.
    static CString DirectoryKey(const CFileEntry& folder);

private:
    // One file record of the package with its tree path after the Temp redirection, and the file
    // on the build machine that it is made from: its source path, or, without one, that tree path
    // below the base folder (SourceBaseFolder).
    struct PackageFile {
        const CFeature* project;  // not owned
        const CFileEntry* entry;  // not owned
        CString treePath;
        CString source;
    };
    // Every file record of the package in the one order that the File table numbers them and the
    // packing stores them: projects in order, each project's records in order. The pointers hold
    // while the package's lists stay as they are.
    std::vector<PackageFile> PackageFiles() const;

    [[nodiscard]] int BuildLocked();
    // False, after a "> !" line, when the name the path ends in has characters that the
    // database's code page cannot hold.
    [[nodiscard]] bool CheckNameFitsCodePage(const CString& path);
    [[nodiscard]] bool CheckRequired(CString& field, const wchar_t* failureLine);
    void CommitAfterFailure();
    // Fills the folder list from the projects' roots and folders.
    void GatherFolders();
    // The base of file entries without a stored source path.
    const CString& SourceBaseFolder() const;
    // The Icon row of a shortcut, when an icon can be found for it; the Icon_ key to use.
    [[nodiscard]] UINT WriteShortcutIcon(const CFileEntry& shortcut, const CString& targetSource,
                                         UniqueMsiHandle& view, CString& iconKey);
    [[nodiscard]] UINT WriteProjectServices(CFeature& project, UniqueMsiHandle& view);
    // The settings resource written into a temporary copy of the library, returned in libraryCopy.
    [[nodiscard]] UINT MakeLibraryCopy(CString& libraryCopy);

    UniqueMsiHandle m_database;
    CProjectSettings* m_package;  // not owned: the build thread's copy
    IOutputSink* m_output;        // not owned
    MsiBuildOptions m_options;
    CFileEntries m_folders;       // every folder the projects use, once each, in order of first use
    int m_is64Bit = 0;            // a file lies below a 64-bit system folder; set before any component
    CShortNames m_shortNames;
};

// The folder of the file of the listed package that package was copied from: the package at the
// current package index when it has the same product code, else the first listed package that
// has it; empty when none has. The product code tells a stale index (the selection moved on
// since the copy was taken) from the right one.
CString PackageFolderInList(const CProjects& projects, int currentIndex, const CProjectSettings& package);

// True when a tree path's root is one of the 64-bit system folders (ProgramFiles64Folder,
// CommonFiles64Folder, System64Folder): those folders exist only for 64-bit packages.
bool IsUnder64BitRoot(const CString& treePath);

// The build thread's message for a BuildPackage result.
CString BuildResultText(int result);
