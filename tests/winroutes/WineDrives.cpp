#include "WineDrives.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>

namespace cdflash::winroutes {

namespace {

// Wine's mount manager extension, as its headers define it.
constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDrive {
  ULONG size;
  ULONG type;  // a DRIVE_* value; DRIVE_NO_ROOT_DIR removes the drive
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};

constexpr char kMountPoint[] = "/tmp";
constexpr char kMissingDevice[] = "\\Device\\CdflashNoSuchCdRom";

bool DefineUnixDrive(char letter, UINT type, const char* mountPoint) {
  char buffer[sizeof(UnixDrive) + 64] = {};
  auto* drive = reinterpret_cast<UnixDrive*>(buffer);
  drive->type = type;
  drive->letter = static_cast<WCHAR>(letter);
  drive->size = sizeof(UnixDrive);
  if (mountPoint != nullptr) {
    drive->mount_point_offset = sizeof(UnixDrive);
    std::strcpy(buffer + sizeof(UnixDrive), mountPoint);
    drive->size += static_cast<ULONG>(std::strlen(mountPoint) + 1);
  }
  const HANDLE manager = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer, drive->size, nullptr, 0,
                                  &returned, nullptr);
  CloseHandle(manager);
  return ok != FALSE;
}

std::string DosName(char letter) { return std::string(1, letter) + ":"; }

}  // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::vector<char> FreeDriveLetters() {
  const DWORD used = GetLogicalDrives();
  std::vector<char> letters;
  for (char letter = 'D'; letter <= 'Y'; ++letter) {
    if ((used & (1u << (letter - 'A'))) == 0) letters.push_back(letter);
  }
  return letters;
}

WineDrive::WineDrive(char letter, Kind kind) : letter_(letter), kind_(kind) {
  if (!RunningUnderWine()) return;
  const UINT type = kind == Kind::Fixed ? DRIVE_FIXED : DRIVE_CDROM;
  defined_ = DefineUnixDrive(letter, type, kind == Kind::UnopenableCdRom ? nullptr : kMountPoint);
  if (defined_ && kind == Kind::UnopenableCdRom) {
    // The mount manager keeps the letter a CD-ROM; its link now leads nowhere.
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, DosName(letter).c_str(), nullptr);
    defined_ = DefineDosDeviceA(DDD_RAW_TARGET_PATH, DosName(letter).c_str(), kMissingDevice) != FALSE;
  }
}

WineDrive::~WineDrive() {
  if (!RunningUnderWine()) return;
  if (kind_ == Kind::UnopenableCdRom) DefineDosDeviceA(DDD_REMOVE_DEFINITION, DosName(letter_).c_str(), nullptr);
  DefineUnixDrive(letter_, DRIVE_NO_ROOT_DIR, nullptr);
}

}  // namespace cdflash::winroutes
