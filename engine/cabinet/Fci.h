#pragma once
// The cabinet-creation calls (FCICreate, FCIAddFile, FCIFlushFolder, FCIFlushCabinet, FCIDestroy)
// with the records, callbacks and error codes of the published interface, implemented over our
// own LZX encoder. Wine's cabinet.dll accepts an LZX request and then stores the data
// uncompressed, so the writer uses this layer on every platform.
//
// Everything the layer touches goes through the caller's callbacks: memory, the source files
// (opened by the open-info callback), its two temporary files (named by the temporary-file
// callback, deleted through the delete callback by FCIDestroy) and the cabinet itself.
// What it makes: LZX folders with a 2^21 window (compression type 0x1503); a folder ends at
// FCIFlushFolder, at the folder threshold or before it would pass 65535 data blocks. Spanning a
// set of cabinets is not supported: a cabinet that would outgrow the split size fails.

#include "framework/Base.h"

#include <cstdint>

namespace Cabinet {

enum FCIERROR {
    FCIERR_NONE = 0,
    FCIERR_OPEN_SRC = 1,
    FCIERR_READ_SRC = 2,
    FCIERR_ALLOC_FAIL = 3,
    FCIERR_TEMP_FILE = 4,
    FCIERR_BAD_COMPR_TYPE = 5,
    FCIERR_CAB_FILE = 6,
    FCIERR_USER_ABORT = 7,
    FCIERR_MCI_FAIL = 8,
};

// Error record: the failed operation (an FCIERROR), the system or C runtime error behind it, and
// whether an error happened at all.
struct ERF {
    int erfOper;
    int erfType;
    BOOL fError;
};

constexpr UINT CB_MAX_DISK_NAME = 256;
constexpr UINT CB_MAX_CABINET_NAME = 256;
constexpr UINT CB_MAX_CAB_PATH = 256;
constexpr UINT CB_MAX_FILENAME = 256;

// Parameters of the cabinet being built.
struct CCAB {
    ULONG cb;                      // largest cabinet size in bytes
    ULONG cbFolderThresh;          // a folder ends once its compressed size reaches this
    UINT cbReserveCFHeader;        // reserved bytes in the header (at most 60000)
    UINT cbReserveCFFolder;        // reserved bytes per folder entry (at most 255)
    UINT cbReserveCFData;          // reserved bytes per data block (at most 255)
    int iCab;                      // number of the cabinet in its set, from 1
    int iDisk;
    int fFailOnIncompressible;
    USHORT setID;
    char szDisk[CB_MAX_DISK_NAME];
    char szCab[CB_MAX_CABINET_NAME];
    char szCabPath[CB_MAX_CAB_PATH];   // folder of the cabinet, ending with a separator
};

using HFCI = void*;

// Status types passed to the status callback.
constexpr UINT statusFile = 0;      // cb1 compressed, cb2 uncompressed bytes of one data block
constexpr UINT statusFolder = 1;    // cb1 bytes of the folder done, cb2 its total
constexpr UINT statusCabinet = 2;   // cb1 estimated, cb2 actual size of the cabinet

constexpr USHORT tcompTYPE_LZX = 0x0003;
constexpr USHORT TCOMPfromLZXWindow(USHORT order) { return USHORT((order << 8) | tcompTYPE_LZX); }

using PFNFCIFILEPLACED = int (*)(CCAB* ccab, char* fileName, long size, BOOL continuation, void* context);
using PFNFCIALLOC = void* (*)(ULONG size);
using PFNFCIFREE = void (*)(void* memory);
using PFNFCIOPEN = INT_PTR (*)(char* path, int openFlags, int mode, int* error, void* context);
using PFNFCIREAD = UINT (*)(INT_PTR file, void* buffer, UINT count, int* error, void* context);
using PFNFCIWRITE = UINT (*)(INT_PTR file, void* buffer, UINT count, int* error, void* context);
using PFNFCICLOSE = int (*)(INT_PTR file, int* error, void* context);
using PFNFCISEEK = long (*)(INT_PTR file, long distance, int origin, int* error, void* context);
using PFNFCIDELETE = int (*)(char* path, int* error, void* context);
using PFNFCIGETTEMPFILE = BOOL (*)(char* name, int capacity, void* context);
using PFNFCIGETNEXTCABINET = BOOL (*)(CCAB* ccab, ULONG previousSize, void* context);
using PFNFCISTATUS = long (*)(UINT type, ULONG cb1, ULONG cb2, void* context);
using PFNFCIGETOPENINFO = INT_PTR (*)(char* path, USHORT* date, USHORT* time, USHORT* attributes,
                                      int* error, void* context);

// Starts a cabinet; null on failure (the error record says why). The context value is passed
// back to every callback.
HFCI FCICreate(ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
               PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close, PFNFCISEEK seek,
               PFNFCIDELETE remove, PFNFCIGETTEMPFILE getTempFile, CCAB* ccab, void* context);

// Compresses one source file into the current folder under the given name.
BOOL FCIAddFile(HFCI hfci, char* sourcePath, char* nameInCabinet, BOOL execute,
                PFNFCIGETNEXTCABINET getNextCabinet, PFNFCISTATUS status, PFNFCIGETOPENINFO getOpenInfo,
                USHORT compressType);

// Ends the current folder; the next file starts a new one.
BOOL FCIFlushFolder(HFCI hfci, PFNFCIGETNEXTCABINET getNextCabinet, PFNFCISTATUS status);

// Ends the folder and writes the cabinet file. With getNextCab the next cabinet's names are asked
// for at once.
BOOL FCIFlushCabinet(HFCI hfci, BOOL getNextCab, PFNFCIGETNEXTCABINET getNextCabinet, PFNFCISTATUS status);

// Deletes the temporary files and frees the context; an unflushed cabinet is abandoned.
BOOL FCIDestroy(HFCI hfci);

} // namespace Cabinet
