#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vp::platform::sim {

// Little-endian reads from untrusted file bytes: every read is checked against
// the end, and one that would pass it gives an empty optional.
class ByteView {
 public:
  explicit ByteView(std::string_view bytes) : bytes_(bytes) {}

  size_t Size() const { return bytes_.size(); }
  bool Holds(size_t offset, size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  std::optional<uint16_t> U16(size_t offset) const {
    if (!Holds(offset, 2)) return std::nullopt;
    return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
  }
  std::optional<uint32_t> U32(size_t offset) const {
    if (!Holds(offset, 4)) return std::nullopt;
    return static_cast<uint32_t>(Byte(offset)) | static_cast<uint32_t>(Byte(offset + 1)) << 8 |
           static_cast<uint32_t>(Byte(offset + 2)) << 16 | static_cast<uint32_t>(Byte(offset + 3)) << 24;
  }

  // The bytes from offset up to the first NUL before end; empty when no NUL
  // comes first.
  std::optional<std::string_view> NarrowText(size_t offset, size_t end) const {
    if (end > bytes_.size() || offset >= end) return std::nullopt;
    const size_t nul = bytes_.find('\0', offset);
    if (nul == std::string_view::npos || nul >= end) return std::nullopt;
    return bytes_.substr(offset, nul - offset);
  }

  // UTF-16 units from offset up to the first NUL unit before end; empty when
  // no NUL comes first. With nulOptional the text may also run to end.
  std::optional<std::u16string> WideText(size_t offset, size_t end, bool nulOptional = false) const {
    if (end > bytes_.size()) return std::nullopt;
    std::u16string text;
    for (size_t at = offset; at + 2 <= end; at += 2) {
      const char16_t unit = static_cast<char16_t>(Byte(at) | Byte(at + 1) << 8);
      if (unit == 0) return text;
      text += unit;
    }
    if (nulOptional) return text;
    return std::nullopt;
  }

 private:
  unsigned Byte(size_t offset) const { return static_cast<unsigned char>(bytes_[offset]); }
  std::string_view bytes_;
};

// UTF-16 text in code page 1252; empty when a unit has no counterpart there.
std::optional<std::string> Utf16ToCp1252(std::u16string_view text);

}  // namespace vp::platform::sim
