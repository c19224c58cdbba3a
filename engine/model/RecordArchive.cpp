#include "engine/model/RecordArchive.h"

namespace recordarchive {

void ExchangeRaw(CArchive& ar, void* data, UINT size)
{
    if (ar.IsStoring()) {
        ar.Write(data, size);
        return;
    }
    if (ar.Read(data, size) != size) {
        const CFile* file = ar.GetFile();
        AfxThrowArchiveException(CArchiveException::endOfFile, file ? file->GetFilePath().GetString() : nullptr);
    }
}

void ExchangeSpareTexts(CArchive& ar, int count)
{
    for (int i = 0; i < count; ++i) {
        CString spare;
        Exchange(ar, spare);
    }
}

void ExchangeSpareInts(CArchive& ar, int count)
{
    for (int i = 0; i < count; ++i) {
        int spare = 0;
        Exchange(ar, spare);
    }
}

} // namespace recordarchive
