// Cabinet creation over the LZX encoder. Layout of the work:
// - FCIAddFile reads the source through the callbacks and feeds the folder's encoder; each
//   finished frame goes at once, as a data block with its checksum, to the data temporary file.
//   The file's entry goes to the entry temporary file.
// - FCIFlushCabinet writes the cabinet: a blank header first, then the folder entries, the file
//   entries and the data blocks copied from the temporary files, and the real header last, so a
//   cabinet whose writing failed never carries a valid header.
// - After a failure inside a folder (a source that could not be read to its end) the context
//   refuses to write the cabinet: its data would not match its entries.

#include "engine/cabinet/Fci.h"

#include "engine/cabinet/CabinetFormat.h"
#include "engine/cabinet/LzxEncoder.h"
#include "engine/cabinet/LzxFormat.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace Cabinet {

namespace {

// Bytes moved per read or write callback when reading sources and copying temporary files.
constexpr UINT kCopyChunk = 64 * 1024;

constexpr uint16_t kSupportedType = TCOMPfromLZXWindow(21);
constexpr uint64_t kMaxFolderBytes = uint64_t(Format::kMaxDataBlocks) * Lzx::kFrameSize;
constexpr uint64_t kMaxCabinetBytes = 0x7FFFFFFF;
constexpr int kTempFlags = _O_RDWR | _O_BINARY | _O_CREAT | _O_EXCL;
constexpr int kCabinetFlags = _O_RDWR | _O_BINARY | _O_CREAT | _O_TRUNC;
constexpr int kCreateMode = _S_IREAD | _S_IWRITE;
constexpr uint16_t kAttributeExecute = 0x40;

struct TempFile {
    INT_PTR handle = -1;
    char name[CB_MAX_FILENAME] = {};
    uint32_t size = 0;   // bytes of this cabinet written so far
};

struct FolderEntry {
    uint32_t dataOffset;   // in the data temporary file
    uint32_t dataBytes;
    uint32_t blocks;
};

struct Context {
    ERF* erf = nullptr;   // not owned
    PFNFCIFILEPLACED filePlaced = nullptr;
    PFNFCIALLOC alloc = nullptr;
    PFNFCIFREE free = nullptr;
    PFNFCIOPEN open = nullptr;
    PFNFCIREAD read = nullptr;
    PFNFCIWRITE write = nullptr;
    PFNFCICLOSE close = nullptr;
    PFNFCISEEK seek = nullptr;
    PFNFCIDELETE remove = nullptr;
    PFNFCIGETTEMPFILE getTempFile = nullptr;
    CCAB ccab{};
    void* context = nullptr;   // not owned

    TempFile data;      // data blocks of every folder of this cabinet
    TempFile entries;   // file entries of this cabinet
    std::vector<FolderEntry> folders;
    uint32_t files = 0;

    std::vector<uint8_t> chunk;   // kCopyChunk bytes: what a read of a source or temporary file gets
    std::vector<uint8_t> block;   // a data block on its way to the temporary file

    std::unique_ptr<Lzx::CLzxEncoder> encoder;
    bool folderOpen = false;
    FolderEntry folder{};
    uint64_t folderBytes = 0;   // uncompressed bytes in the open folder
    bool broken = false;        // a folder lost data: the cabinet must not be written
    ERF brokenError{};
};

bool Fail(Context& c, int oper, int type)
{
    c.erf->erfOper = oper;
    c.erf->erfType = type;
    c.erf->fError = TRUE;
    return false;
}

Context* FromHandle(HFCI hfci)
{
    return static_cast<Context*>(hfci);
}

bool WriteAll(Context& c, INT_PTR file, const void* data, UINT size, int oper)
{
    int error = 0;
    if (size != 0 && c.write(file, const_cast<void*>(data), size, &error, c.context) != size)
        return Fail(c, oper, error);
    return true;
}

bool SeekTo(Context& c, INT_PTR file, uint32_t offset, int oper)
{
    int error = 0;
    if (c.seek(file, static_cast<long>(offset), SEEK_SET, &error, c.context) != static_cast<long>(offset))
        return Fail(c, oper, error);
    return true;
}

// Copies `size` bytes from the start of a temporary file to the cabinet.
bool CopyTemp(Context& c, TempFile& temp, uint32_t offset, uint32_t size, INT_PTR cabinet)
{
    std::vector<uint8_t>& chunk = c.chunk;
    if (!SeekTo(c, temp.handle, offset, FCIERR_TEMP_FILE))
        return false;
    while (size > 0) {
        const UINT take = size < kCopyChunk ? size : kCopyChunk;
        int error = 0;
        if (c.read(temp.handle, chunk.data(), take, &error, c.context) != take)
            return Fail(c, FCIERR_TEMP_FILE, error);
        if (!WriteAll(c, cabinet, chunk.data(), take, FCIERR_CAB_FILE))
            return false;
        size -= take;
    }
    return true;
}

// A temporary name is only known to be free when it is handed out: another process writing
// cabinets into the same folder can take it before the open, which then fails because the file
// exists. The next name is asked for then, a bounded number of times.
constexpr int kTempOpenTries = 32;

bool OpenTemp(Context& c, TempFile& temp)
{
    for (int attempt = 1;; ++attempt) {
        if (!c.getTempFile(temp.name, sizeof(temp.name), c.context))
            return Fail(c, FCIERR_TEMP_FILE, 0);
        int error = 0;
        temp.handle = c.open(temp.name, kTempFlags, kCreateMode, &error, c.context);
        if (temp.handle != -1)
            return true;
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (!taken || attempt == kTempOpenTries)
            return Fail(c, FCIERR_TEMP_FILE, error);
    }
}

void CloseTemp(Context& c, TempFile& temp)
{
    if (temp.handle == -1)
        return;
    int error = 0;
    c.close(temp.handle, &error, c.context);
    c.remove(temp.name, &error, c.context);
    temp.handle = -1;
}

// Appends the encoder's finished frames to the data temporary file as data blocks.
bool DrainFrames(Context& c, PFNFCISTATUS status)
{
    Lzx::Frame frame;
    const uint32_t reserve = c.ccab.cbReserveCFData;
    std::vector<uint8_t>& block = c.block;
    while (c.encoder->TakeFrame(frame)) {
        if (c.folder.blocks >= Format::kMaxDataBlocks)
            return Fail(c, FCIERR_MCI_FAIL, 0);
        const uint32_t size = static_cast<uint32_t>(frame.data.size());
        // Offsets in a cabinet, and the seeks of the file callbacks, stop below 2 GiB.
        if (uint64_t(c.data.size) + Format::kDataHeaderSize + reserve + size > kMaxCabinetBytes)
            return Fail(c, FCIERR_CAB_FILE, ERROR_FILE_TOO_LARGE);
        block.assign(Format::kDataHeaderSize + reserve, 0);
        block.insert(block.end(), frame.data.begin(), frame.data.end());
        Format::Put16(&block[4], size);
        Format::Put16(&block[6], frame.uncompressedSize);
        const uint32_t sum = Format::Checksum(&block[4], 4,
                                              Format::Checksum(&block[Format::kDataHeaderSize], reserve + size, 0));
        Format::Put32(&block[0], sum);
        if (!WriteAll(c, c.data.handle, block.data(), static_cast<UINT>(block.size()), FCIERR_TEMP_FILE))
            return false;
        c.data.size += static_cast<uint32_t>(block.size());
        c.folder.dataBytes += static_cast<uint32_t>(block.size());
        ++c.folder.blocks;
        if (status && status(statusFile, size, frame.uncompressedSize, c.context) == -1)
            return Fail(c, FCIERR_USER_ABORT, 0);
    }
    return true;
}

bool FlushFolder(Context& c, PFNFCISTATUS status)
{
    if (!c.folderOpen)
        return true;
    c.encoder->Finish();
    if (!DrainFrames(c, status))
        return false;
    if (c.folders.size() >= Format::kMaxFolders)
        return Fail(c, FCIERR_MCI_FAIL, 0);
    c.folders.push_back(c.folder);
    c.folderOpen = false;
    if (status && status(statusFolder, c.folder.dataBytes, c.folder.dataBytes, c.context) == -1)
        return Fail(c, FCIERR_USER_ABORT, 0);
    return true;
}

void OpenFolder(Context& c)
{
    if (c.folderOpen)
        return;
    if (!c.encoder)
        c.encoder = std::make_unique<Lzx::CLzxEncoder>();
    c.folderOpen = true;
    c.folder = FolderEntry{c.data.size, 0, 0};
    c.folderBytes = 0;
}

// Marks the context unusable for writing the cabinet, keeping the error that caused it.
bool Break(Context& c)
{
    c.broken = true;
    c.brokenError = *c.erf;
    return false;
}

bool AddFile(Context& c, char* sourcePath, char* name, BOOL execute, PFNFCISTATUS status,
             PFNFCIGETOPENINFO getOpenInfo, USHORT compressType)
{
    if (compressType != kSupportedType)
        return Fail(c, FCIERR_BAD_COMPR_TYPE, 0);
    const size_t nameLength = std::strlen(name);
    if (nameLength == 0 || nameLength > Format::kMaxNameBytes)
        return Fail(c, FCIERR_OPEN_SRC, ERROR_INVALID_NAME);
    if (c.files >= Format::kMaxFiles)
        return Fail(c, FCIERR_CAB_FILE, ERROR_TOO_MANY_OPEN_FILES);

    USHORT date = 0, time = 0, attributes = 0;
    int error = 0;
    const INT_PTR source = getOpenInfo(sourcePath, &date, &time, &attributes, &error, c.context);
    if (source == -1)
        return Fail(c, FCIERR_OPEN_SRC, error);
    struct Closer {
        Context& c;
        INT_PTR file;
        ~Closer()
        {
            int ignored = 0;
            c.close(file, &ignored, c.context);
        }
    } closer{c, source};

    const long size = c.seek(source, 0, SEEK_END, &error, c.context);
    if (size < 0 || c.seek(source, 0, SEEK_SET, &error, c.context) != 0)
        return Fail(c, FCIERR_READ_SRC, error);
    if (uint64_t(size) > kMaxFolderBytes)
        return Fail(c, FCIERR_READ_SRC, ERROR_FILE_TOO_LARGE);
    if (c.folderOpen && c.folderBytes + uint64_t(size) > kMaxFolderBytes && !FlushFolder(c, status))
        return Break(c);
    OpenFolder(c);

    const uint64_t offsetInFolder = c.folderBytes;
    std::vector<uint8_t>& chunk = c.chunk;
    uint64_t total = 0;
    for (;;) {
        const UINT got = c.read(source, chunk.data(), kCopyChunk, &error, c.context);
        if (got == static_cast<UINT>(-1)) {
            Fail(c, FCIERR_READ_SRC, error);
            return Break(c);
        }
        if (got == 0)
            break;
        total += got;
        if (offsetInFolder + total > kMaxFolderBytes) {
            Fail(c, FCIERR_READ_SRC, ERROR_FILE_TOO_LARGE);
            return Break(c);
        }
        c.encoder->Write(chunk.data(), got);
        if (!DrainFrames(c, status))
            return Break(c);
        // A short read that reaches the size found above is the end of the file: the read that
        // would return nothing is saved, which counts when most files are small.
        if (got < kCopyChunk && total >= uint64_t(size))
            break;
    }
    c.folderBytes += total;

    uint8_t entry[Format::kFileEntrySize];
    Format::Put32(entry, static_cast<uint32_t>(total));
    Format::Put32(entry + 4, static_cast<uint32_t>(offsetInFolder));
    Format::Put16(entry + 8, static_cast<uint32_t>(c.folders.size()));
    Format::Put16(entry + 10, date);
    Format::Put16(entry + 12, time);
    Format::Put16(entry + 14, attributes | (execute ? kAttributeExecute : 0));
    if (!WriteAll(c, c.entries.handle, entry, sizeof(entry), FCIERR_TEMP_FILE) ||
        !WriteAll(c, c.entries.handle, name, static_cast<UINT>(nameLength + 1), FCIERR_TEMP_FILE))
        return Break(c);
    c.entries.size += static_cast<uint32_t>(sizeof(entry) + nameLength + 1);
    ++c.files;

    if (c.filePlaced && c.filePlaced(&c.ccab, name, static_cast<long>(total), FALSE, c.context) == -1)
        return Fail(c, FCIERR_USER_ABORT, 0);
    if (c.folder.dataBytes >= c.ccab.cbFolderThresh && !FlushFolder(c, status))
        return Break(c);
    return true;
}

bool FlushCabinet(Context& c, BOOL getNextCab, PFNFCIGETNEXTCABINET getNextCabinet, PFNFCISTATUS status)
{
    if (!FlushFolder(c, status))
        return Break(c);

    const bool reserve = c.ccab.cbReserveCFHeader || c.ccab.cbReserveCFFolder || c.ccab.cbReserveCFData;
    const uint32_t headerSize = Format::kHeaderSize + (reserve ? Format::kReserveFieldsSize + c.ccab.cbReserveCFHeader : 0);
    const uint32_t folderSize = Format::kFolderEntrySize + c.ccab.cbReserveCFFolder;
    const uint64_t filesOffset = headerSize + uint64_t(folderSize) * c.folders.size();
    const uint64_t dataOffset = filesOffset + c.entries.size;
    const uint64_t cabinetSize = dataOffset + c.data.size;
    if (cabinetSize > c.ccab.cb)
        return Fail(c, FCIERR_CAB_FILE, ERROR_FILE_TOO_LARGE);
    if (status && status(statusCabinet, static_cast<ULONG>(cabinetSize), static_cast<ULONG>(cabinetSize), c.context) == -1)
        return Fail(c, FCIERR_USER_ABORT, 0);

    char path[CB_MAX_CAB_PATH + CB_MAX_CABINET_NAME];
    std::snprintf(path, sizeof(path), "%s%s", c.ccab.szCabPath, c.ccab.szCab);
    int error = 0;
    const INT_PTR cabinet = c.open(path, kCabinetFlags, kCreateMode, &error, c.context);
    if (cabinet == -1)
        return Fail(c, FCIERR_CAB_FILE, error);

    std::vector<uint8_t> header(headerSize, 0);
    bool ok = WriteAll(c, cabinet, header.data(), headerSize, FCIERR_CAB_FILE);
    for (size_t i = 0; ok && i < c.folders.size(); ++i) {
        std::vector<uint8_t> folder(folderSize, 0);
        Format::Put32(&folder[0], static_cast<uint32_t>(dataOffset + c.folders[i].dataOffset));
        Format::Put16(&folder[4], c.folders[i].blocks);
        Format::Put16(&folder[6], kSupportedType);
        ok = WriteAll(c, cabinet, folder.data(), folderSize, FCIERR_CAB_FILE);
    }
    ok = ok && CopyTemp(c, c.entries, 0, c.entries.size, cabinet);
    ok = ok && CopyTemp(c, c.data, 0, c.data.size, cabinet);

    // The header goes last: only a cabinet written to its end carries one.
    std::memcpy(&header[0], "MSCF", 4);
    Format::Put32(&header[8], static_cast<uint32_t>(cabinetSize));
    Format::Put32(&header[16], static_cast<uint32_t>(filesOffset));
    header[24] = Format::kVersionMinor;
    header[25] = Format::kVersionMajor;
    Format::Put16(&header[26], static_cast<uint32_t>(c.folders.size()));
    Format::Put16(&header[28], c.files);
    Format::Put16(&header[30], reserve ? Format::kFlagReservePresent : 0);
    Format::Put16(&header[32], c.ccab.setID);
    Format::Put16(&header[34], static_cast<uint32_t>(c.ccab.iCab > 0 ? c.ccab.iCab - 1 : 0));
    if (reserve) {
        Format::Put16(&header[36], c.ccab.cbReserveCFHeader);
        header[38] = static_cast<uint8_t>(c.ccab.cbReserveCFFolder);
        header[39] = static_cast<uint8_t>(c.ccab.cbReserveCFData);
    }
    ok = ok && SeekTo(c, cabinet, 0, FCIERR_CAB_FILE) && WriteAll(c, cabinet, header.data(), headerSize, FCIERR_CAB_FILE);
    if (c.close(cabinet, &error, c.context) != 0 && ok)
        ok = Fail(c, FCIERR_CAB_FILE, error);
    if (!ok)
        return false;

    // The temporary files start over for the next cabinet.
    c.folders.clear();
    c.files = 0;
    c.data.size = 0;
    c.entries.size = 0;
    if (!SeekTo(c, c.data.handle, 0, FCIERR_TEMP_FILE) || !SeekTo(c, c.entries.handle, 0, FCIERR_TEMP_FILE))
        return false;
    if (getNextCab) {
        ++c.ccab.iCab;
        if (!getNextCabinet || !getNextCabinet(&c.ccab, static_cast<ULONG>(cabinetSize), c.context))
            return Fail(c, FCIERR_USER_ABORT, 0);
    }
    return true;
}

// Runs an entry point's work: a context that lost data repeats the error that broke it instead,
// and running out of memory breaks the context.
template <class Work>
BOOL Enter(Context& c, Work work)
{
    if (c.broken) {
        *c.erf = c.brokenError;
        return FALSE;
    }
    try {
        return work() ? TRUE : FALSE;
    } catch (const std::bad_alloc&) {
        Fail(c, FCIERR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY);
        return Break(c);
    }
}

void Destroy(Context* c)
{
    CloseTemp(*c, c->data);
    CloseTemp(*c, c->entries);
    PFNFCIFREE free = c->free;
    c->~Context();
    free(c);
}

} // namespace

HFCI FCICreate(ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
               PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close, PFNFCISEEK seek,
               PFNFCIDELETE remove, PFNFCIGETTEMPFILE getTempFile, CCAB* ccab, void* context)
{
    if (!erf)
        return nullptr;
    *erf = ERF{};
    if (!alloc || !free || !open || !read || !write || !close || !seek || !remove || !getTempFile || !ccab) {
        *erf = ERF{FCIERR_NONE, ERROR_INVALID_PARAMETER, TRUE};
        return nullptr;
    }
    if (ccab->cbReserveCFHeader > 60000 || ccab->cbReserveCFFolder > 255 || ccab->cbReserveCFData > 255) {
        *erf = ERF{FCIERR_NONE, ERROR_INVALID_PARAMETER, TRUE};
        return nullptr;
    }
    void* memory = alloc(sizeof(Context));
    if (!memory) {
        *erf = ERF{FCIERR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY, TRUE};
        return nullptr;
    }
    Context* c = nullptr;
    try {
        c = new (memory) Context();
        c->erf = erf;
        c->filePlaced = filePlaced;
        c->alloc = alloc;
        c->free = free;
        c->open = open;
        c->read = read;
        c->write = write;
        c->close = close;
        c->seek = seek;
        c->remove = remove;
        c->getTempFile = getTempFile;
        c->ccab = *ccab;
        c->context = context;
        c->chunk.resize(kCopyChunk);
        if (!OpenTemp(*c, c->data) || !OpenTemp(*c, c->entries)) {
            Destroy(c);
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        if (c)
            Destroy(c);
        else
            free(memory);
        *erf = ERF{FCIERR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY, TRUE};
        return nullptr;
    }
    return c;
}

BOOL FCIAddFile(HFCI hfci, char* sourcePath, char* nameInCabinet, BOOL execute,
                PFNFCIGETNEXTCABINET getNextCabinet, PFNFCISTATUS status, PFNFCIGETOPENINFO getOpenInfo,
                USHORT compressType)
{
    Context* c = FromHandle(hfci);
    if (!c)
        return FALSE;
    if (!sourcePath || !nameInCabinet || !getOpenInfo)
        return Fail(*c, FCIERR_OPEN_SRC, ERROR_INVALID_PARAMETER);
    return Enter(*c, [&] { return AddFile(*c, sourcePath, nameInCabinet, execute, status, getOpenInfo, compressType); });
}

BOOL FCIFlushFolder(HFCI hfci, PFNFCIGETNEXTCABINET getNextCabinet, PFNFCISTATUS status)
{
    Context* c = FromHandle(hfci);
    if (!c)
        return FALSE;
    return Enter(*c, [&] { return FlushFolder(*c, status) || Break(*c); });
}

BOOL FCIFlushCabinet(HFCI hfci, BOOL getNextCab, PFNFCIGETNEXTCABINET getNextCabinet, PFNFCISTATUS status)
{
    Context* c = FromHandle(hfci);
    if (!c)
        return FALSE;
    return Enter(*c, [&] { return FlushCabinet(*c, getNextCab, getNextCabinet, status); });
}

BOOL FCIDestroy(HFCI hfci)
{
    Context* c = FromHandle(hfci);
    if (!c)
        return FALSE;
    Destroy(c);
    return TRUE;
}

} // namespace Cabinet
