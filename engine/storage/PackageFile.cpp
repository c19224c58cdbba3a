#include "engine/storage/PackageFile.h"

#include "engine/files/PathHelpers.h"
#include "engine/storage/Aes.h"
#include "engine/storage/FileEx.h"

#include <exception>
#include <utility>

namespace {

// Deletes the temporary file of a save that did not reach the rename.
class TemporaryFile {
public:
    explicit TemporaryFile(CString path) : m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!m_path.IsEmpty())
            ::DeleteFileW(m_path);
    }
    const CString& Path() const { return m_path; }
    void Keep() { m_path.Empty(); }

private:
    CString m_path;
};

// A new empty file in the folder of path, so that the final rename stays on one volume.
CString MakeTemporaryBeside(const wchar_t* path)
{
    CString folder = GetFolderPart(path);
    if (folder.IsEmpty())
        folder = L".";
    else if (folder.GetLength() == 2 && folder[1] == L':')
        folder += L'\\'; // "C:" alone would mean the drive's current folder
    wchar_t name[MAX_PATH];
    if (!::GetTempFileNameW(folder, L"tw", 0, name))
        return CString();
    return CString(name);
}

// A CFileEx with the cipher context of its one direction.
struct CipherFile {
    AesContext context;
    CFileEx file;

    bool Open(const wchar_t* path, AesDirection direction)
    {
        if (AesInitContext(&context, direction) != 0)
            return false;
        if (direction == kAesEncipher) {
            file.m_writeFilter = EncryptWriteBuffer;
            file.m_writeContext = &context;
            return file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        }
        file.m_readFilter = DecryptReadBuffer;
        file.m_readContext = &context;
        return file.Open(path, CFile::modeRead | CFile::shareDenyWrite);
    }
};

// Runs work and turns every exception into false: a damaged file, a full disk or an allocation
// that fails must never end the program.
template <class Work>
bool Guarded(Work work)
{
    try {
        return work();
    } catch (const CException&) {
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool StoreEncipheredFile(const wchar_t* path, const std::function<void(CArchive&)>& store)
{
    // What opening the file for writing would refuse, the rename must refuse too (Wine's rename
    // replaces read-only files).
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const CString temporaryPath = MakeTemporaryBeside(path);
    if (temporaryPath.IsEmpty())
        return false;
    TemporaryFile temporary(temporaryPath);

    CipherFile cipher;
    if (!cipher.Open(temporary.Path(), kAesEncipher))
        return false;
    const bool written = Guarded([&] {
        CArchive ar(&cipher.file, CArchive::store, kStoringBufferBytes);
        store(ar);
        ar.Close();
        // on disk before the rename: a crash must not leave a renamed but empty file
        cipher.file.Flush();
        cipher.file.Close();
        return true;
    });
    if (!written || !::MoveFileExW(temporary.Path(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    temporary.Keep();
    return true;
}

bool LoadEncipheredFile(const wchar_t* path, const std::function<bool(CArchive&)>& load)
{
    CipherFile cipher;
    if (!cipher.Open(path, kAesDecipher))
        return false;
    return Guarded([&] {
        CArchive ar(&cipher.file, CArchive::load, kLoadingBufferBytes);
        const bool loaded = load(ar);
        ar.Close();
        return loaded;
    });
}

int SavePackageFile(const wchar_t* path, CProjectSettings& package)
{
    const bool saved = StoreEncipheredFile(path, [&package](CArchive& ar) { (void)package.Serialize(ar); });
    return saved ? 1 : 0;
}

int LoadPackageFile(const wchar_t* path, CProjectSettings& package)
{
    const bool loaded = LoadEncipheredFile(path, [&package](CArchive& ar) {
        CProjectSettings read;
        if (read.Serialize(ar) != 1)
            return false;
        // hand the projects over by moving them: copying every entry of a large package again
        // would cost as much as a good part of the reading
        CFeatures projects(std::move(read.m_projects));
        read.m_projects.RemoveAll();
        package = read;
        package.m_projects = std::move(projects);
        return true;
    });
    return loaded ? 1 : 0;
}
