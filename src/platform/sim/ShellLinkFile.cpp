#include "platform/sim/ShellLinkFile.h"

#include <array>
#include <cstring>

#include "platform/sim/ByteView.h"

namespace vp::platform::sim {
namespace {

constexpr uint32_t kHeaderSize = 0x4C;
// The class of shell links, {00021401-0000-0000-C000-000000000046}, as stored.
constexpr std::array<unsigned char, 16> kLinkClass = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

enum LinkFlag : uint32_t {
  kHasIdList = 0x1,
  kHasLinkInfo = 0x2,
  kHasName = 0x4,
  kHasRelativePath = 0x8,
  kHasWorkingDir = 0x10,
  kHasArguments = 0x20,
  kHasIconLocation = 0x40,
  kIsUnicode = 0x80,
  kForceNoLinkInfo = 0x100,
};

enum LinkInfoFlag : uint32_t {
  kLocalPath = 0x1,
  kNetworkPath = 0x2,
};

// A NUL-terminated string of the link information at a relative offset, in
// its wide form when it has one.
std::optional<std::string> InfoText(const ByteView& view, size_t info, size_t end, uint32_t offset,
                                    bool wide) {
  if (offset == 0 || info + offset >= end) return std::nullopt;
  if (!wide) {
    auto text = view.NarrowText(info + offset, end);
    if (!text) return std::nullopt;
    return std::string(*text);
  }
  auto text = view.WideText(info + offset, end);
  if (!text) return std::nullopt;
  return Utf16ToCp1252(*text);
}

// The path the link information names; empty when it names none.
std::optional<std::string> LinkInfoPath(const ByteView& view, size_t info) {
  auto size = view.U32(info);
  auto headerSize = view.U32(info + 4);
  auto flags = view.U32(info + 8);
  if (!size || !headerSize || !flags || *headerSize < 0x1C || *headerSize >= *size ||
      !view.Holds(info, *size))
    return std::nullopt;
  const size_t end = info + *size;
  const bool hasWide = *headerSize >= 0x24;
  auto localOffset = view.U32(info + 16);
  auto networkOffset = view.U32(info + 20);
  auto suffixOffset = view.U32(info + 24);
  auto wideLocalOffset = hasWide ? view.U32(info + 28) : std::optional<uint32_t>(0);
  auto wideSuffixOffset = hasWide ? view.U32(info + 32) : std::optional<uint32_t>(0);
  if (!localOffset || !networkOffset || !suffixOffset || !wideLocalOffset || !wideSuffixOffset)
    return std::nullopt;

  auto text = [&](uint32_t narrow, uint32_t wide) {
    return wide != 0 ? InfoText(view, info, end, wide, true) : InfoText(view, info, end, narrow, false);
  };
  auto suffix = text(*suffixOffset, *wideSuffixOffset);
  if (!suffix) return std::nullopt;

  if ((*flags & kLocalPath) != 0) {
    auto base = text(*localOffset, *wideLocalOffset);
    if (!base) return std::nullopt;
    return *base + *suffix;
  }
  if ((*flags & kNetworkPath) != 0 && *networkOffset != 0) {
    // The share's own record: its size, flags, then the offset of its name.
    const size_t share = info + *networkOffset;
    auto shareSize = view.U32(share);
    auto nameOffset = view.U32(share + 8);
    if (!shareSize || !nameOffset || *shareSize < 0x14 || share + *shareSize > end) return std::nullopt;
    auto name = view.NarrowText(share + *nameOffset, share + *shareSize);
    if (!name) return std::nullopt;
    std::string path(*name);
    if (!suffix->empty()) path += "\\" + *suffix;
    return path;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ShortcutTarget> ParseShellLink(std::string_view bytes) {
  const ByteView view(bytes);
  auto headerSize = view.U32(0);
  auto flags = view.U32(0x14);
  if (headerSize != kHeaderSize || !flags || !view.Holds(4, kLinkClass.size()) ||
      std::memcmp(bytes.data() + 4, kLinkClass.data(), kLinkClass.size()) != 0)
    return std::nullopt;

  size_t at = kHeaderSize;
  if ((*flags & kHasIdList) != 0) {
    auto listSize = view.U16(at);
    if (!listSize) return std::nullopt;
    at += 2 + *listSize;
  }
  std::optional<std::string> path;
  if ((*flags & kHasLinkInfo) != 0) {
    auto infoSize = view.U32(at);
    if (!infoSize || !view.Holds(at, *infoSize)) return std::nullopt;
    if ((*flags & kForceNoLinkInfo) == 0) path = LinkInfoPath(view, at);
    at += *infoSize;
  }
  // A question mark is no part of any file name: it stands where a shortcut
  // written without its wide path lost a character the code page lacks.
  if (!path || path->empty() || path->find('?') != std::string::npos) return std::nullopt;

  // The string data follows in a fixed order; only the arguments are kept.
  ShortcutTarget target;
  target.path = std::move(*path);
  const bool unicode = (*flags & kIsUnicode) != 0;
  for (uint32_t flag : {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
    if ((*flags & flag) == 0) continue;
    auto count = view.U16(at);
    if (!count) return std::nullopt;
    const size_t length = static_cast<size_t>(*count) * (unicode ? 2 : 1);
    if (!view.Holds(at + 2, length)) return std::nullopt;
    if (flag == kHasArguments) {
      // As the shell hands them on: up to the first NUL.
      if (unicode) {
        auto text = view.WideText(at + 2, at + 2 + length, true);
        auto narrow = text ? Utf16ToCp1252(*text) : std::nullopt;
        if (!narrow) return std::nullopt;
        target.arguments = std::move(*narrow);
      } else {
        std::string_view text = bytes.substr(at + 2, length);
        target.arguments.assign(text.substr(0, text.find('\0')));
      }
    }
    at += 2 + length;
  }
  return target;
}

}  // namespace vp::platform::sim
