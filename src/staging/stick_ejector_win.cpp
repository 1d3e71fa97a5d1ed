#include "stick_ejector.h"

#include "eject_texts.h"

#include <QDir>
#include <QList>
#include <QMetaObject>

#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <windows.h>
// After windows.h, which they build on.
#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>

namespace kestrel {

namespace {
using Result = EjectOutcome::Result;

// GUID_DEVINTERFACE_DISK: the interface every disk device offers.
constexpr GUID kDiskInterface = {
    0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

QString SystemReason(DWORD error) {
    return QString::fromStdString(std::system_category().message(static_cast<int>(error)));
}

std::wstring Wide(const QString& text) {
    return text.toStdWString();
}

QString FromWide(const wchar_t* text) {
    return QString::fromWCharArray(text);
}

// Closes a handle when it goes.
struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(Handle&& other) noexcept : h(std::exchange(other.h, INVALID_HANDLE_VALUE)) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle& operator=(Handle&&) = delete;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
    bool Valid() const { return h != INVALID_HANDLE_VALUE; }
};

Handle Open(const std::wstring& path, DWORD access) {
    return Handle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
}

bool Control(const Handle& device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    return ::DeviceIoControl(device.h, code, in, inSize, out, outSize, &returned, nullptr) != 0;
}

// A volume: its name as the volume manager gives it ("\\?\Volume{...}"),
// without the trailing backslash, so that it opens the volume itself.
struct Volume {
    std::wstring name;
    QString shownAs; // its drive letter root, "E:\", or else its name
};

// The disk a volume lies on, or -1 (a volume over several disks, no disk).
long DiskNumber(const std::wstring& volumeName) {
    const Handle volume = Open(volumeName, 0);
    STORAGE_DEVICE_NUMBER number{};
    if (!volume.Valid() ||
        !Control(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number))
        return -1;
    return static_cast<long>(number.DeviceNumber);
}

QString ShownAs(const std::wstring& volumeName) {
    wchar_t paths[MAX_PATH + 1] = {};
    DWORD length = 0;
    const std::wstring withSlash = volumeName + L"\\";
    if (::GetVolumePathNamesForVolumeNameW(withSlash.c_str(), paths, MAX_PATH, &length) &&
        paths[0] != L'\0')
        return FromWide(paths);
    return FromWide(volumeName.c_str());
}

// Every volume on the disk (a number read, not -1); the one holding the
// folder first. A volume whose disk cannot be told is never taken for one on
// it.
std::vector<Volume> VolumesOfDisk(const Volume& first, long disk) {
    std::vector<Volume> volumes{first};
    wchar_t name[MAX_PATH + 1] = {};
    const HANDLE search = ::FindFirstVolumeW(name, MAX_PATH);
    if (search == INVALID_HANDLE_VALUE)
        return volumes;
    do {
        std::wstring volume(name);
        if (!volume.empty() && volume.back() == L'\\')
            volume.pop_back();
        if (volume != first.name && DiskNumber(volume) == disk)
            volumes.push_back({volume, ShownAs(volume)});
    } while (::FindNextVolumeW(search, name, MAX_PATH));
    ::FindVolumeClose(search);
    return volumes;
}

// The device node of the disk with this number; 0 when not found.
DEVINST DiskNode(long disk) {
    const HDEVINFO set = ::SetupDiGetClassDevsW(&kDiskInterface, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return 0;
    DEVINST found = 0;
    SP_DEVICE_INTERFACE_DATA entry{};
    entry.cbSize = sizeof entry;
    for (DWORD i = 0;
         !found && ::SetupDiEnumDeviceInterfaces(set, nullptr, &kDiskInterface, i, &entry); ++i) {
        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailW(set, &entry, nullptr, 0, &size, nullptr);
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA node{};
        node.cbSize = sizeof node;
        if (size == 0 ||
            !::SetupDiGetDeviceInterfaceDetailW(set, &entry, detail, size, nullptr, &node))
            continue;
        if (DiskNumber(detail->DevicePath) == disk)
            found = node.DevInst;
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return found;
}

// A drive the operator can take out: removable, or a disk on USB.
bool IsRemovable(const std::wstring& root, const std::wstring& volumeName) {
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type == DRIVE_REMOVABLE)
        return true;
    if (type != DRIVE_FIXED)
        return false;
    const Handle volume = Open(volumeName, 0);
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor{};
    return volume.Valid() &&
           Control(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &descriptor,
                   sizeof descriptor) &&
           (descriptor.BusType == BusTypeUsb || descriptor.RemovableMedia);
}

struct Located {
    Result verdict = Result::NotOnDrive;
    std::wstring root;
    Volume volume;
};

Located Locate(const QString& folder) {
    Located at;
    const std::wstring path = Wide(QDir::toNativeSeparators(QDir(folder).absolutePath()));
    wchar_t root[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(path.c_str(), root, MAX_PATH) ||
        !::GetVolumeNameForVolumeMountPointW(root, name, MAX_PATH))
        return at;
    at.root = root;
    at.volume.name = name;
    if (!at.volume.name.empty() && at.volume.name.back() == L'\\')
        at.volume.name.pop_back();
    at.volume.shownAs = FromWide(root);
    at.verdict = IsRemovable(at.root, at.volume.name) ? Result::Ejected : Result::NotRemovable;
    return at;
}

EjectOutcome Refused(Result result, QString message, QStringList done = {}) {
    return {result, std::move(done), std::move(message)};
}

EjectOutcome EjectNow(const QString& folder) {
    const Located at = Locate(folder);
    const QString shown = at.volume.shownAs;
    if (at.verdict == Result::NotOnDrive)
        return Refused(at.verdict, texts::NotOnDrive(folder));
    if (at.verdict == Result::NotRemovable)
        return Refused(at.verdict, texts::NotRemovable(folder, shown));
    const long disk = DiskNumber(at.volume.name);
    // Without its disk, the stick's other volumes and its device cannot be
    // told from any other drive's: nothing is locked or dismounted.
    if (disk < 0)
        return Refused(
            Result::Failed,
            texts::Failed(shown, QStringLiteral("the disk it lies on could not be told")));
    QStringList done;
    // Each volume is written out, locked (nothing else has it open) and
    // dismounted; the locks are held until the medium is out.
    std::vector<Handle> locked;
    for (const Volume& volume : VolumesOfDisk(at.volume, disk)) {
        Handle handle = Open(volume.name, GENERIC_READ | GENERIC_WRITE);
        if (!handle.Valid()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_ACCESS_DENIED)
                return Refused(Result::NotAuthorized, texts::NotAuthorized(volume.shownAs), done);
            return Refused(Result::Failed, texts::Failed(volume.shownAs, SystemReason(error)),
                           done);
        }
        if (!::FlushFileBuffers(handle.h))
            return Refused(Result::Failed,
                           texts::Failed(volume.shownAs, SystemReason(::GetLastError())), done);
        if (!Control(handle, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0))
            return Refused(Result::Busy, texts::Busy(volume.shownAs, volume.shownAs), done);
        if (!Control(handle, FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0))
            return Refused(Result::Failed,
                           texts::Failed(volume.shownAs, SystemReason(::GetLastError())), done);
        const QString name = FromWide(volume.name.c_str());
        done << (volume.name == at.volume.name ? texts::Unmounted(name, volume.shownAs)
                                               : texts::AlsoUnmounted(name, volume.shownAs));
        locked.push_back(std::move(handle));
    }
    PREVENT_MEDIA_REMOVAL allow{};
    allow.PreventMediaRemoval = FALSE;
    Control(locked.front(), IOCTL_STORAGE_MEDIA_REMOVAL, &allow, sizeof allow, nullptr, 0);
    bool left = Control(locked.front(), IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0);
    if (left)
        done << texts::MediumEjected(shown);
    locked.clear();
    // Then the device itself leaves, as the taskbar's "safely remove" does.
    DEVINST node = DiskNode(disk);
    DEVINST parent = 0;
    if (node != 0 && ::CM_Get_Parent(&parent, node, 0) == CR_SUCCESS) {
        PNP_VETO_TYPE veto = PNP_VetoTypeUnknown;
        if (::CM_Request_Device_EjectW(parent, &veto, nullptr, 0, 0) != CR_SUCCESS ||
            veto != PNP_VetoTypeUnknown)
            return Refused(Result::Busy, texts::Busy(shown, shown), done);
        done << texts::PoweredOff(shown);
        left = true;
    }
    // Neither the medium nor the device left (a card slot inside the
    // machine): only the volumes are off.
    if (!left)
        return {Result::Unmounted, done, texts::UnmountedOnly(shown)};
    return {Result::Ejected, done, texts::CanBeRemoved(shown)};
}

} // namespace

// One call, its system calls (which block, an eject for seconds) on a thread
// of its own; the answer goes to the owner's thread.
class StickEjector::Work {
public:
    template <typename Job> explicit Work(Job job) : m_thread(std::move(job)) {}
    ~Work() { m_thread.join(); }
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

private:
    std::thread m_thread;
};

StickEjector::StickEjector(QObject* parent) : QObject(parent) {}

StickEjector::~StickEjector() = default;

void StickEjector::CheckRemovable(const QString& folder) {
    m_work.reset(); // the call before has ended first
    const quint64 call = ++m_calls;
    m_work = std::make_unique<Work>([this, call, folder] {
        const bool removable = Locate(folder).verdict == Result::Ejected;
        Tell(call, [this, removable] { emit removableChecked(removable); });
    });
}

void StickEjector::Eject(const QString& folder) {
    m_work.reset();
    const quint64 call = ++m_calls;
    m_work = std::make_unique<Work>([this, call, folder] {
        const EjectOutcome outcome = EjectNow(folder);
        Tell(call, [this, outcome] { emit ejected(outcome); });
    });
}

} // namespace kestrel
