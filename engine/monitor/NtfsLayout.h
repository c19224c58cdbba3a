#pragma once
// Byte offsets inside an NTFS file record segment (a "FILE" record) and its attributes, as
// FSCTL_GET_NTFS_FILE_RECORD returns them. The platform headers describe the journal records and
// the request buffers but not these, so the offsets the journal code reads live here, once.

#include "framework/Base.h"

namespace ntfs {

// File record header.
constexpr DWORD kRecordSignature = 0x454C4946;     // "FILE"
constexpr size_t kRecordSequenceNumber = 16;       // WORD: bumped each time the segment is reused
constexpr size_t kRecordFirstAttribute = 20;       // WORD: offset of the first attribute
constexpr size_t kRecordFlags = 22;                // WORD: 1 = in use, 2 = directory
constexpr size_t kRecordBytesInUse = 24;           // DWORD
constexpr size_t kRecordBytesAllocated = 28;       // DWORD
constexpr size_t kRecordHeaderSize = 56;           // room up to the end of the header fields

// Attribute header (resident form).
constexpr DWORD kAttributeEnd = 0xFFFFFFFF;        // type that ends the attribute list
constexpr DWORD kAttributeStandardInformation = 0x10;
constexpr DWORD kAttributeFileName = 0x30;
constexpr size_t kAttributeType = 0;               // DWORD
constexpr size_t kAttributeLength = 4;             // DWORD: whole attribute, header included
constexpr size_t kAttributeNonResident = 8;        // BYTE
constexpr size_t kAttributeValueLength = 16;       // DWORD (resident)
constexpr size_t kAttributeValueOffset = 20;       // WORD (resident)
constexpr size_t kAttributeResidentHeaderSize = 24;

// $FILE_NAME value.
constexpr size_t kFileNameParent = 0;              // 64-bit file reference of the folder
constexpr size_t kFileNameLength = 64;             // BYTE: characters
constexpr size_t kFileNameSpace = 65;              // BYTE: 0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS
constexpr size_t kFileNameText = 66;               // UTF-16 name
constexpr BYTE kNameSpaceDos = 2;

// A file reference: the record segment number in the low 48 bits, the sequence number above.
constexpr ULONGLONG kSegmentMask = 0x0000FFFFFFFFFFFFull;
constexpr int kSequenceShift = 48;
// The root folder's segment; its $FILE_NAME is "." and names itself as parent.
constexpr ULONGLONG kRootSegment = 5;

inline ULONGLONG MakeReference(ULONGLONG segment, WORD sequence)
{
    return (segment & kSegmentMask) | (static_cast<ULONGLONG>(sequence) << kSequenceShift);
}

} // namespace ntfs
