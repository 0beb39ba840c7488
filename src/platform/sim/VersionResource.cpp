#include "platform/sim/VersionResource.h"

#include <cstdio>
#include <vector>

#include "platform/sim/ByteView.h"

namespace vp::platform::sim {
namespace {

constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kSubdirectoryBit = 0x80000000u;
constexpr uint16_t kMaxSections = 96;  // the loader's own limit

struct Section {
  uint32_t address = 0;
  uint32_t virtualSize = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
};

// The file offset of length bytes at an address of the loaded image, when
// they lie within one section's bytes in the file.
std::optional<size_t> FileOffsetOf(const std::vector<Section>& sections, uint32_t address, uint32_t length) {
  for (const Section& section : sections) {
    if (address < section.address) continue;
    const uint64_t into = address - section.address;
    if (into + length > section.rawSize) continue;
    return static_cast<size_t>(section.rawOffset + into);
  }
  return std::nullopt;
}

struct Image {
  std::vector<Section> sections;
  uint32_t resourceAddress = 0;
};

std::optional<Image> ReadImage(const ByteView& view) {
  auto magic = view.U16(0);
  auto peOffset = view.U32(0x3C);
  if (magic != 0x5A4D || !peOffset || view.U32(*peOffset) != 0x00004550u)
    return std::nullopt;  // "MZ", "PE\0\0"
  const size_t coff = *peOffset + 4;
  auto sectionCount = view.U16(coff + 2);
  auto optionalSize = view.U16(coff + 16);
  if (!sectionCount || !optionalSize || *sectionCount > kMaxSections) return std::nullopt;
  const size_t optional = coff + 20;
  auto optionalMagic = view.U16(optional);
  if (!optionalMagic) return std::nullopt;
  size_t countField = 0;
  if (*optionalMagic == 0x10B)
    countField = 92;  // PE32
  else if (*optionalMagic == 0x20B)
    countField = 108;  // PE32+
  else
    return std::nullopt;
  const size_t directories = countField + 4;
  const size_t resourceField = directories + kResourceDirectoryIndex * 8;
  auto directoryCount = view.U32(optional + countField);
  if (!directoryCount || *directoryCount <= kResourceDirectoryIndex || resourceField + 8 > *optionalSize)
    return std::nullopt;
  auto resourceAddress = view.U32(optional + resourceField);
  if (!resourceAddress || *resourceAddress == 0) return std::nullopt;

  Image image;
  image.resourceAddress = *resourceAddress;
  const size_t table = optional + *optionalSize;
  for (uint16_t i = 0; i < *sectionCount; ++i) {
    const size_t entry = table + static_cast<size_t>(i) * 40;
    auto virtualSize = view.U32(entry + 8);
    auto address = view.U32(entry + 12);
    auto rawSize = view.U32(entry + 16);
    auto rawOffset = view.U32(entry + 20);
    if (!virtualSize || !address || !rawSize || !rawOffset) return std::nullopt;
    // Bytes beyond the file are not there to read.
    if (*rawOffset >= view.Size()) continue;
    const uint32_t available = static_cast<uint32_t>(std::min<size_t>(*rawSize, view.Size() - *rawOffset));
    image.sections.push_back({*address, *virtualSize, available, *rawOffset});
  }
  return image;
}

// The data of the first entry of a resource directory (or, with an id, of
// the entry with that id), relative to the resource root.
std::optional<uint32_t> DirectoryEntry(const ByteView& view, size_t root, uint32_t directory,
                                       std::optional<uint32_t> id) {
  const size_t at = root + directory;
  auto named = view.U16(at + 12);
  auto numbered = view.U16(at + 14);
  if (!named || !numbered) return std::nullopt;
  const uint32_t total = static_cast<uint32_t>(*named) + *numbered;
  for (uint32_t i = 0; i < total; ++i) {
    const size_t entry = at + 16 + static_cast<size_t>(i) * 8;
    auto name = view.U32(entry);
    auto data = view.U32(entry + 4);
    if (!name || !data) return std::nullopt;
    if (!id || (i >= *named && *name == *id)) return *data;
  }
  return std::nullopt;
}

// The bytes of the image's first version resource.
std::optional<std::string_view> VersionBytes(std::string_view bytes) {
  const ByteView view(bytes);
  auto image = ReadImage(view);
  if (!image) return std::nullopt;
  auto root = FileOffsetOf(image->sections, image->resourceAddress, 16);
  if (!root) return std::nullopt;
  // Type, then name, then language: three levels, each a sub-directory but
  // the last.
  auto type = DirectoryEntry(view, *root, 0, kVersionType);
  if (!type || (*type & kSubdirectoryBit) == 0) return std::nullopt;
  auto name = DirectoryEntry(view, *root, *type & ~kSubdirectoryBit, std::nullopt);
  if (!name || (*name & kSubdirectoryBit) == 0) return std::nullopt;
  auto language = DirectoryEntry(view, *root, *name & ~kSubdirectoryBit, std::nullopt);
  if (!language || (*language & kSubdirectoryBit) != 0) return std::nullopt;
  auto dataAddress = view.U32(*root + *language);
  auto dataSize = view.U32(*root + *language + 4);
  if (!dataAddress || !dataSize) return std::nullopt;
  auto data = FileOffsetOf(image->sections, *dataAddress, *dataSize);
  if (!data) return std::nullopt;
  return bytes.substr(*data, *dataSize);
}

// One block of the version resource: a key, a value and child blocks, each
// part aligned on four bytes from the resource's start.
struct Block {
  std::u16string key;
  size_t value = 0;
  size_t valueEnd = 0;
  size_t children = 0;
  size_t end = 0;
};

size_t Align4(size_t offset) {
  return (offset + 3) & ~static_cast<size_t>(3);
}

std::optional<Block> ReadBlock(const ByteView& view, size_t at, size_t limit) {
  auto length = view.U16(at);
  auto valueLength = view.U16(at + 2);
  auto type = view.U16(at + 4);
  if (!length || !valueLength || !type || *length < 6 || at + *length > limit) return std::nullopt;
  Block block;
  block.end = at + *length;
  auto key = view.WideText(at + 6, block.end);
  if (!key) return std::nullopt;
  block.key = std::move(*key);
  block.value = std::min(Align4(at + 6 + 2 * (block.key.size() + 1)), block.end);
  const size_t valueBytes = *type == 1 ? 2u * *valueLength : *valueLength;
  block.valueEnd = std::min(block.value + valueBytes, block.end);
  block.children = Align4(block.valueEnd);
  return block;
}

// Calls visit for each child block of a block, in order.
template <typename Visit>
void ForEachChild(const ByteView& view, const Block& parent, Visit visit) {
  for (size_t at = parent.children; at < parent.end;) {
    auto child = ReadBlock(view, at, parent.end);
    if (!child) return;
    visit(*child);
    at = Align4(child->end);
  }
}

bool KeyIs(const std::u16string& key, std::string_view name) {
  if (key.size() != name.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    char16_t a = key[i];
    char16_t b = static_cast<unsigned char>(name[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<char16_t>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char16_t>(b - 32);
    if (a != b) return false;
  }
  return true;
}

}  // namespace

std::optional<FileVersionInfo> ParseVersionResource(std::string_view bytes) {
  auto resource = VersionBytes(bytes);
  if (!resource) return std::nullopt;
  // Offsets below count from the resource's start, which the alignment needs.
  const ByteView view(*resource);
  auto root = ReadBlock(view, 0, view.Size());
  if (!root || !KeyIs(root->key, "VS_VERSION_INFO")) return std::nullopt;

  FileVersionInfo info;
  info.translation = "040904E4";  // what a resource without a translation is read as
  bool translated = false;
  ForEachChild(view, *root, [&](const Block& child) {
    if (translated || !KeyIs(child.key, "VarFileInfo")) return;
    ForEachChild(view, child, [&](const Block& var) {
      if (translated || !KeyIs(var.key, "Translation")) return;
      auto language = view.U16(var.value);
      auto codePage = view.U16(var.value + 2);
      if (var.valueEnd - var.value < 4 || !language || !codePage) return;
      char text[9];
      std::snprintf(text, sizeof(text), "%04X%04X", *language, *codePage);
      info.translation = text;
      translated = true;
    });
  });

  bool found = false;
  ForEachChild(view, *root, [&](const Block& child) {
    if (found || !KeyIs(child.key, "StringFileInfo")) return;
    ForEachChild(view, child, [&](const Block& table) {
      if (found || !KeyIs(table.key, info.translation)) return;
      found = true;
      ForEachChild(view, table, [&](const Block& string) {
        auto name = Utf16ToCp1252(string.key);
        auto text = view.WideText(string.value, string.valueEnd, true);
        auto value = text ? Utf16ToCp1252(*text) : std::nullopt;
        if (name && value) info.strings.emplace(std::move(*name), std::move(*value));
      });
    });
  });
  return info;
}

}  // namespace vp::platform::sim
