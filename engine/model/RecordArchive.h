#pragma once
// Item helpers shared by the records' Serialize members. Each record walks its fields once with
// Exchange(), which stores or loads by the archive's direction, so the two directions of a record
// cannot drift apart.
//
// Fixed-size integers go through the archive's item operators (flushed whole before a buffer
// boundary); raw blocks go through Write/Read (filled to the brim). The enciphered file layer
// turns each flushed buffer into one cipher unit, so this distinction is part of the stored form.

#include "framework/Archive.h"

#include <type_traits>

namespace recordarchive {

inline void Exchange(CArchive& ar, int& value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

inline void Exchange(CArchive& ar, CString& text)
{
    if (ar.IsStoring())
        ar << text;
    else
        ar >> text;
}

// A block copied verbatim from or into memory.
void ExchangeRaw(CArchive& ar, void* data, UINT size);

// Placeholders kept in the stored form for later use: written as empty texts or zeros, read and
// dropped.
void ExchangeSpareTexts(CArchive& ar, int count);
void ExchangeSpareInts(CArchive& ar, int count);

// A list: its int32 count, then each record in order. Loading empties the list first and appends
// a copy of every record read; a count of 0 or less is an empty list. A damaged count costs no
// memory of its own: every record is read before the next is made, so the archive's end-of-file
// exception stops the loop.
template <class List>
void ExchangeList(CArchive& ar, List& list)
{
    if (ar.IsStoring()) {
        ar << list.GetSize();
        for (auto& record : list)
            record.Serialize(ar);
        return;
    }
    int count = 0;
    ar >> count;
    list.RemoveAll();
    // One temporary serves every record and is moved into the list: loading sets each stored
    // field and clears the ones that are not stored, so nothing carries over from the record
    // before, and a default record (with its fresh GUID) is made once per list, not per record.
    typename std::remove_reference_t<decltype(list[0])> record;
    for (int i = 0; i < count; ++i) {
        record.Serialize(ar);
        list.Add(std::move(record));
    }
}

} // namespace recordarchive
