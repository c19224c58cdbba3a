// Builds the end-to-end package for the checks that read it back with msitools on the Linux side:
//   msi_e2e_build <program folder> <output folder> cabinet|loose
// The package goes to <output folder>\e2e.msi, its sources to <output folder>\sources. Prints one
// line per file, "F_<id>" TAB tree path, and the builder's lines on failure. Exit code: the
// build's result.

#include "E2EPackage.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: msi_e2e_build <program folder> <output folder> cabinet|loose\n");
        return 87;
    }
    const CString output = argv[2];
    const bool loose = CString(argv[3]) == L"loose";
    CString iconModule = argv[1];
    iconModule += L"\\velt.bin"; // any module will do for the program file; this one has no icon
    CProjectSettings package =
        e2e::MakePackage(output + L"\\sources", output,
                         loose ? CProjectSettings::filesLoose : CProjectSettings::filesInCabinet, false,
                         L"{5C0F3A11-7B2D-4C8E-9F10-2A3B4C5D6E03}", iconModule);
    RecordingOutput lines;
    const int result = e2e::Build(package, CString(argv[1]) + L"\\", lines);
    if (result != 0) {
        for (const std::string& line : lines.lines)
            std::fprintf(stderr, "%s\n", line.c_str());
        return result;
    }
    for (const CFeature& project : package.m_projects) {
        for (const CFileEntry& entry : project.m_files) {
            if (entry.m_kind == CFileEntry::kindFile)
                std::printf("F_%ls\t%ls\n", entry.m_id.GetString(), entry.m_path.GetString());
        }
    }
    return 0;
}
