#include "platform/win32/CodePage.h"

#include <windows.h>

#include <climits>

namespace vp::platform::win32 {

namespace {

bool IsAscii(std::wstring_view text) {
  for (wchar_t c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

// Most registry names and data are plain ASCII; the system's conversions,
// checked by a round trip, cost several calls per text.
bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::optional<std::wstring> ToWide(std::string_view text) {
  if (text.empty()) return std::wstring();
  if (IsAscii(text)) return std::wstring(text.begin(), text.end());
  if (text.size() > INT_MAX) return std::nullopt;
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), needed) != needed)
    return std::nullopt;
  // Single-byte code pages map undefined bytes to private characters without
  // an error; the round trip catches them.
  auto back = FromWide(wide);
  if (!back || *back != text) return std::nullopt;
  return wide;
}

std::optional<std::string> FromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  if (IsAscii(text)) {
    std::string narrow(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) narrow[i] = static_cast<char>(text[i]);
    return narrow;
  }
  if (text.size() > INT_MAX) return std::nullopt;
  const int length = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int needed = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0,
                                         nullptr, &usedDefault);
  if (needed <= 0 || usedDefault) return std::nullopt;
  std::string narrow(static_cast<size_t>(needed), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, narrow.data(), needed, nullptr,
                          &usedDefault) != needed ||
      usedDefault)
    return std::nullopt;
  // A best-fit or lossy mapping that slipped through shows in the reverse.
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, narrow.data(), needed, nullptr, 0);
  std::wstring back(static_cast<size_t>(wideLength > 0 ? wideLength : 0), L'\0');
  if (wideLength <= 0 ||
      MultiByteToWideChar(CP_ACP, 0, narrow.data(), needed, back.data(), wideLength) != wideLength ||
      back != text)
    return std::nullopt;
  return narrow;
}

}  // namespace vp::platform::win32
