#include "platform/win32/Win32System.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <vector>

#include "platform/win32/CodePage.h"
#include "platform/win32/ScopedHandle.h"

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

#include <shellapi.h>

namespace vp::platform::win32 {
namespace {

// A folder from one of the GetXxxDirectory-style calls, sized by a first call.
template <typename Query>
std::string FolderFrom(Query query) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const UINT length = query(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size())
      return FromWide(std::wstring_view(buffer.data(), length)).value_or(std::string());
    buffer.resize(length + 1);
  }
  return std::string();
}

}  // namespace

std::string Win32System::WindowsFolder() const {
  return FolderFrom([](wchar_t* buffer, UINT size) { return GetWindowsDirectoryW(buffer, size); });
}

std::string Win32System::SystemFolder() const {
  return FolderFrom([](wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); });
}

std::string Win32System::TempFolder() const {
  return FolderFrom([](wchar_t* buffer, UINT size) {
    return static_cast<UINT>(GetTempPathW(static_cast<DWORD>(size), buffer));
  });
}

std::optional<std::string> Win32System::AssociatedProgram(std::string_view file) const {
  auto wide = ToWide(file);
  if (!wide || wide->empty()) return std::nullopt;
  wchar_t result[MAX_PATH + 1] = {};
  const auto code = reinterpret_cast<INT_PTR>(FindExecutableW(wide->c_str(), nullptr, result));
  if (code <= 32) return std::nullopt;
  return FromWide(std::wstring_view(result));
}

std::optional<std::string> Win32System::AssociatedProgramFor(std::string_view extension) const {
  auto wideExtension = ToWide(extension);
  if (!wideExtension || wideExtension->empty()) return std::nullopt;
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  static std::atomic<uint64_t> counter{0};
  const uint64_t seed = (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^ GetTickCount64();
  for (int attempt = 0; attempt < 8; ++attempt) {
    uint64_t value = seed + 0x9E3779B97F4A7C15ULL * (counter.fetch_add(1) + 1);
    std::wstring name = folder;
    name += L"vpx";
    for (int i = 0; i < 12; ++i, value >>= 4) name += L"0123456789abcdef"[value & 0xF];
    name += *wideExtension;
    FileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file.Valid()) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return std::nullopt;
    }
    wchar_t result[MAX_PATH + 1] = {};
    const auto code = reinterpret_cast<INT_PTR>(FindExecutableW(name.c_str(), nullptr, result));
    file.Close();
    if (code <= 32) return std::nullopt;
    return FromWide(std::wstring_view(result));
  }
  return std::nullopt;
}

std::optional<FileVersionInfo> Win32System::VersionInfo(std::string_view file) const {
  auto wide = ToWide(file);
  if (!wide || wide->empty()) return std::nullopt;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide->c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(wide->c_str(), 0, size, data.data())) return std::nullopt;
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  Translation first{0x0409, 0x04E4};  // US English, Windows-1252: what the system assumes without one
  if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                     &length) &&
      translations != nullptr && length >= sizeof(Translation))
    first = translations[0];
  FileVersionInfo info;
  for (WORD part : {first.language, first.codePage})
    for (int shift = 12; shift >= 0; shift -= 4)
      info.translation += "0123456789ABCDEF"[(part >> shift) & 0xF];
  const std::wstring table =
      L"\\StringFileInfo\\" + std::wstring(info.translation.begin(), info.translation.end()) + L'\\';
  for (std::string_view name : kVersionStringNames) {
    const std::wstring query = table + std::wstring(name.begin(), name.end());
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
        value == nullptr)
      continue;
    // The length counts characters, including the terminating NUL when present.
    std::wstring_view text(value, length);
    if (const size_t nul = text.find(L'\0'); nul != std::wstring_view::npos) text = text.substr(0, nul);
    if (auto narrow = FromWide(text)) info.strings.emplace(std::string(name), std::move(*narrow));
  }
  return info;
}

}  // namespace vp::platform::win32
