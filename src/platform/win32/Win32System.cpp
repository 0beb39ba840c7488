#include "platform/win32/Win32System.h"

#include <windows.h>

#include <climits>
#include <vector>

#include "platform/win32/CodePage.h"

namespace vp::platform::win32 {

std::string Win32System::UpperCase(std::string_view text) const {
  std::string result(text);
  if (!result.empty() && result.size() <= UINT_MAX / 2)
    CharUpperBuffA(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

std::string Win32System::LowerCase(std::string_view text) const {
  std::string result(text);
  if (!result.empty() && result.size() <= UINT_MAX / 2)
    CharLowerBuffA(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

int Win32System::CompareTextNoCase(std::string_view a, std::string_view b) const {
  if (a.size() > INT_MAX || b.size() > INT_MAX) return a.size() < b.size() ? -1 : 1;
  const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                    static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
  if (result == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return result - CSTR_EQUAL;
}

std::optional<std::string> Win32System::ExpandEnvironment(std::string_view text) const {
  auto wide = ToWide(text);
  if (!wide) return std::nullopt;
  std::vector<wchar_t> buffer(wide->size() + 256);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD needed =
        ExpandEnvironmentStringsW(wide->c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) return std::nullopt;
    if (needed <= buffer.size()) return FromWide(std::wstring_view(buffer.data(), needed - 1));
    buffer.resize(needed);
  }
  return std::nullopt;
}

uint32_t Win32System::AnsiCodePage() const {
  return GetACP();
}

}  // namespace vp::platform::win32

namespace vp::platform::win32 {

WindowsVersion Win32System::Version() const {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  WindowsVersion version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return version;
#pragma GCC diagnostic pop
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.platformId = info.dwPlatformId;
  return version;
}

}  // namespace vp::platform::win32
