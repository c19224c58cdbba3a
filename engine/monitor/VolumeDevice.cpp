#include "engine/monitor/VolumeDevice.h"

#include "engine/monitor/ChangeRecorder.h"
#include "framework/Handle.h"

#include <winioctl.h>

#include <mutex>

namespace {

bool IsJournalRequest(DWORD code)
{
    return code == FSCTL_QUERY_USN_JOURNAL || code == FSCTL_READ_USN_JOURNAL || code == FSCTL_GET_NTFS_VOLUME_DATA ||
           code == FSCTL_GET_NTFS_FILE_RECORD;
}

// The answers of a volume whose file system has no change journal (Wine, FAT).
bool IsMissingJournal(DWORD error)
{
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

// "\\.\c:" -> "c:\"
CString RootFolderOf(const CString& deviceName)
{
    CString drive = deviceName;
    if (drive.Left(4) == L"\\\\.\\")
        drive = drive.Mid(4);
    return drive + L"\\";
}

class CSystemVolume : public IVolumeDevice {
public:
    CSystemVolume(const CString& deviceName, UniqueKernelHandle handle)
        : m_deviceName(deviceName), m_handle(std::move(handle))
    {
    }

    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override
    {
        // Once our own journal records this volume it answers for it, so that every request of
        // one scan comes from the same journal.
        if (IsJournalRequest(code)) {
            if (CChangeRecorder* recorder = FindRecordedJournal(m_deviceName))
                return recorder->Control(code, in, inSize, out, outSize, returned);
        }
        DWORD bytes = 0;
        if (DeviceIoControl(m_handle.Get(), code, const_cast<void*>(in), inSize, out, outSize, &bytes, nullptr)) {
            if (returned)
                *returned = bytes;
            return 0;
        }
        const DWORD error = GetLastError();
        if (returned)
            *returned = 0;
        if (code == FSCTL_CREATE_USN_JOURNAL && IsMissingJournal(error)) {
            // Keep our own journal from now on; when even that cannot start, the volume's own
            // answer stands.
            if (StartRecordedJournal(m_deviceName, RootFolderOf(m_deviceName)) == 0)
                return 0;
        }
        return error;
    }

private:
    CString m_deviceName;
    UniqueKernelHandle m_handle;
};

struct OpenerState {
    std::mutex lock;
    VolumeOpener opener;
};

OpenerState& Opener()
{
    static OpenerState state;
    return state;
}

} // namespace

DWORD OpenSystemVolumeDevice(const CString& deviceName, std::unique_ptr<IVolumeDevice>& volume)
{
    volume.reset();
    UniqueKernelHandle handle(CreateFileW(deviceName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle)
        return GetLastError();
    volume = std::make_unique<CSystemVolume>(deviceName, std::move(handle));
    return 0;
}

DWORD OpenVolume(const CString& deviceName, std::unique_ptr<IVolumeDevice>& volume)
{
    VolumeOpener opener;
    {
        OpenerState& state = Opener();
        std::lock_guard<std::mutex> guard(state.lock);
        opener = state.opener;
    }
    return opener ? opener(deviceName, volume) : OpenSystemVolumeDevice(deviceName, volume);
}

VolumeOpener SetVolumeOpener(VolumeOpener opener)
{
    OpenerState& state = Opener();
    std::lock_guard<std::mutex> guard(state.lock);
    VolumeOpener previous = std::move(state.opener);
    state.opener = std::move(opener);
    return previous;
}
