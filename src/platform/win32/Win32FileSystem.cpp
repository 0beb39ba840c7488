#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

namespace vp::platform::win32 {

DriveType Win32FileSystem::DriveTypeOf(char letter) const {
  const wchar_t root[] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', L'\\', 0};
  return static_cast<DriveType>(GetDriveTypeW(root));
}

std::string Win32FileSystem::LogicalDriveLetters() const {
  const DWORD mask = GetLogicalDrives();
  std::string letters;
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) letters += static_cast<char>('A' + i);
  return letters;
}

}  // namespace vp::platform::win32
