// The cabinet layout of the file packing: every file of the File table compressed into one LZX
// cabinet under its File key, in File table order, and the cabinet stored in the database as the
// stream that the Media row names ("#" + stream name). The cabinet is built in a temporary file,
// which goes once its bytes are in the database, whether the step succeeds or not.

#include "engine/msi/MsiTools.h"

#include "engine/cabinet/Compress.h"
#include "engine/files/PathHelpers.h"
#include "engine/model/GuidText.h"
#include "engine/msi/TempFile.h"

namespace {

// The error behind a failed call of the cabinet writer: the Windows error when there is one,
// else the writer's own code, else the cabinet-creation code; never 0.
UINT CabinetError(const Cabinet::CCompress& writer)
{
    if (writer.GetWindowsError() != 0)
        return writer.GetWindowsError();
    if (writer.GetOwnError() != 0)
        return writer.GetOwnError();
    if (writer.GetFciError().erfOper != 0)
        return static_cast<UINT>(writer.GetFciError().erfOper);
    return ERROR_GEN_FAILURE;
}

} // namespace

UINT CMsiTools::CompressFiles()
{
    const CTempFile cabinet = CTempFile::Make();
    if (cabinet.Path().IsEmpty()) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_PATH_NOT_FOUND;
    }
    const std::vector<PackageFile> files = PackageFiles();
    {
        Cabinet::CCompress writer;
        if (!writer.CreateCabinet(cabinet.Path())) {
            AppendOutputFormat(L"> I/O error: '%s'", writer.GetErrorText());
            return CabinetError(writer);
        }
        for (const PackageFile& file : files) {
            AppendOutputFormat(L"> CompressFile: '%s'", file.source.GetString());
            if (!writer.AddFile(file.source, L"F_" + file.entry->m_id)) {
                AppendOutputFormat(L"> I/O error: '%s'", writer.GetErrorText());
                return CabinetError(writer);
            }
        }
        if (!writer.FlushAndClose()) {
            AppendOutputFormat(L"> I/O error: '%s'", writer.GetErrorText());
            return CabinetError(writer);
        }
    }

    const CString streamName = L"_" + NewGuidStringBare();
    UniqueMsiHandle view;
    UINT result = InsertRow(view, L"INSERT INTO `_Streams` (`Name`, `Data`) VALUES (?, ?)",
                            {streamName, MsiValue::Stream(cabinet.Path())});
    if (result != ERROR_SUCCESS)
        return result;
    return InsertRow(view, L"INSERT INTO `Media` (`DiskId`, `LastSequence`, `Cabinet`) VALUES (1, ?, ?)",
                     {static_cast<int>(files.size()), L"#" + streamName});
}
