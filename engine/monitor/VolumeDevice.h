#pragma once
// The volume as the change-journal code sees it: one device-control call. The journal scan talks
// to a volume only through IVolumeDevice, so it runs unchanged on three backends:
//  - a real volume that keeps an NTFS change journal (DeviceIoControl on the volume handle);
//  - a real volume without one (Wine has no change journal: every journal request fails with
//    ERROR_NOT_SUPPORTED). There the journal requests are answered by the recorded journal of
//    ChangeRecorder.h, which watches the drive while the monitored installation runs;
//  - a synthetic volume in the tests, built from the real structure layouts.
//
// Control codes used: FSCTL_CREATE_USN_JOURNAL, FSCTL_QUERY_USN_JOURNAL, FSCTL_READ_USN_JOURNAL,
// FSCTL_GET_NTFS_VOLUME_DATA and FSCTL_GET_NTFS_FILE_RECORD, with their platform layouts.

#include "framework/String.h"

#include <functional>
#include <memory>

class IVolumeDevice {
public:
    virtual ~IVolumeDevice() = default;
    // DeviceIoControl's contract, with the error returned instead of left in GetLastError:
    // 0 and the bytes written in *returned, or the Windows error.
    [[nodiscard]] virtual DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                                        DWORD* returned) = 0;
};

// Opens the volume device (for example "\\.\c:") for reading and writing, sharing both; 0 or the
// Windows error of the open.
using VolumeOpener = std::function<DWORD(const CString& deviceName, std::unique_ptr<IVolumeDevice>& volume)>;

// Opens a volume through the current opener (the real one unless a test installed another).
[[nodiscard]] DWORD OpenVolume(const CString& deviceName, std::unique_ptr<IVolumeDevice>& volume);

// Installs an opener (an empty one restores the real volumes) and returns the previous one.
// Install before any monitoring starts.
VolumeOpener SetVolumeOpener(VolumeOpener opener);

// The real volume: CreateFileW on the device, DeviceIoControl on the handle, and the recorded
// journal for the journal requests when the volume has no journal of its own.
[[nodiscard]] DWORD OpenSystemVolumeDevice(const CString& deviceName, std::unique_ptr<IVolumeDevice>& volume);
