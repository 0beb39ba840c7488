#include "files/FileSystemCache.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace vp {

namespace {

constexpr uint32_t kNone = UINT32_MAX;

inline unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// Names are keyed without regard to ASCII case; folders compare as the
// program's other case-insensitive lists do (the fixed table).
struct NameFold {
  static unsigned char Fold(unsigned char c) { return AsciiUpper(c); }
};
struct FolderFold {
  static unsigned char Fold(unsigned char c) { return kTable.bytes[c]; }
  // The fixed table, copied once so that the hash loop needs no call per byte.
  struct Table {
    unsigned char bytes[256];
    Table() {
      for (int c = 0; c < 256; ++c) bytes[c] = FixedUpper(static_cast<unsigned char>(c));
    }
  };
  static const Table kTable;
};
const FolderFold::Table FolderFold::kTable;

// Upper-cases the ASCII letters of eight bytes at once; the caller has
// made sure no byte is above 0x7F.
inline uint64_t AsciiUpper8(uint64_t w) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  const uint64_t aboveA = w + kOnes * (0x80 - 'a');        // high bit set where byte >= 'a'
  const uint64_t aboveZ = w + kOnes * (0x80 - ('z' + 1));  // high bit set where byte > 'z'
  const uint64_t lower = (aboveA & ~aboveZ) & (kOnes * 0x80);
  return w - (lower >> 2);  // 0x80 >> 2 == 0x20
}

inline uint64_t Mix(uint64_t h, uint64_t w) {
  h = (h ^ w) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

// Hashes the folded text eight bytes at a time; words holding a byte above
// 0x7F go through the fold byte by byte.
template <class Fold>
uint64_t HashOf(std::string_view text) {
  uint64_t h = 0x6A09E667F3BCC908ull ^ text.size();
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, text.data() + i, 8);
    if ((w & 0x8080808080808080ull) == 0) {
      w = AsciiUpper8(w);
    } else {
      unsigned char bytes[8];
      for (int k = 0; k < 8; ++k) bytes[k] = Fold::Fold(static_cast<unsigned char>(text[i + k]));
      std::memcpy(&w, bytes, 8);
    }
    h = Mix(h, w);
  }
  if (i < text.size()) {
    unsigned char bytes[8] = {};
    for (size_t k = 0; i + k < text.size(); ++k)
      bytes[k] = Fold::Fold(static_cast<unsigned char>(text[i + k]));
    uint64_t w;
    std::memcpy(&w, bytes, 8);
    h = Mix(h, w);
  }
  h ^= h >> 32;
  h *= 0xbf58476d1ce4e5b9ull;
  return h ^ (h >> 31);
}

template <class Fold>
bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (std::memcmp(a.data(), b.data(), a.size()) == 0) return true;  // usual: both stored in lower case
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold::Fold(static_cast<unsigned char>(a[i])) != Fold::Fold(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

struct Span {
  uint32_t offset = 0;
  uint32_t length = 0;
};

// Texts stored back to back, each found again through a hash table of
// (tag, index + 1) slots with linear probing, at most half full.
template <class Fold>
class TextTable {
 public:
  std::string_view At(uint32_t index) const {
    const Span& s = spans_[index];
    return std::string_view(bytes_.data() + s.offset, s.length);
  }
  uint32_t Size() const { return static_cast<uint32_t>(spans_.size()); }

  static uint64_t Hash(std::string_view text) { return HashOf<Fold>(text); }

  // Brings the slot a hash starts at into the processor's cache.
  void Prefetch(uint64_t h) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[static_cast<size_t>(h) & (slots_.size() - 1)]);
  }

  uint32_t Find(std::string_view text) const { return Find(text, Hash(text)); }
  uint32_t Find(std::string_view text, uint64_t h) const {
    if (slots_.empty()) return kNone;
    const uint32_t tag = static_cast<uint32_t>(h >> 32);
    const size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>(h) & mask;; i = (i + 1) & mask) {
      const uint64_t slot = slots_[i];
      if (slot == 0) return kNone;
      if (static_cast<uint32_t>(slot >> 32) == tag) {
        const uint32_t index = static_cast<uint32_t>(slot) - 1;
        if (SameFolded<Fold>(At(index), text)) return index;
      }
    }
  }

  // Adds a text known to be absent; returns its index.
  uint32_t Add(std::string_view text) { return Add(text, Hash(text)); }
  uint32_t Add(std::string_view text, uint64_t h) {
    if ((spans_.size() + 1) * 2 > slots_.size()) Rehash(std::max<size_t>(16, slots_.size() * 2));
    const uint32_t index = static_cast<uint32_t>(spans_.size());
    spans_.push_back({static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(text.size())});
    bytes_.append(text);
    Place(h, index);
    return index;
  }

  uint32_t Intern(std::string_view text) {
    const uint64_t h = Hash(text);
    const uint32_t found = Find(text, h);
    return found != kNone ? found : Add(text, h);
  }

  void Reserve(size_t count, size_t bytes) {
    spans_.reserve(count);
    bytes_.reserve(bytes);
    size_t want = 16;
    while (want < count * 2) want *= 2;
    if (want > slots_.size()) Rehash(want);
  }

  void ShrinkToFit() {
    spans_.shrink_to_fit();
    bytes_.shrink_to_fit();
  }

  size_t MemoryUsage() const {
    return bytes_.capacity() + spans_.capacity() * sizeof(Span) + slots_.capacity() * sizeof(uint64_t);
  }

 private:
  void Place(uint64_t h, uint32_t index) {
    const size_t mask = slots_.size() - 1;
    size_t i = static_cast<size_t>(h) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = (h >> 32 << 32) | (static_cast<uint64_t>(index) + 1);
  }

  void Rehash(size_t slotCount) {
    slots_.assign(slotCount, 0);
    for (uint32_t i = 0; i < spans_.size(); ++i) Place(HashOf<Fold>(At(i)), i);
  }

  std::string bytes_;
  std::vector<Span> spans_;
  std::vector<uint64_t> slots_;
};

// Compares two texts byte by byte through the ASCII upper-case mapping.
int CompareNames(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = AsciiUpper(static_cast<unsigned char>(a[i]));
    const unsigned char y = AsciiUpper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// The first eight upper-cased bytes, big-endian, so that comparing keys
// compares the names' beginnings.
uint64_t SortKey(std::string_view name) {
  uint64_t key = 0;
  for (size_t i = 0; i < 8; ++i) {
    key <<= 8;
    if (i < name.size()) key |= AsciiUpper(static_cast<unsigned char>(name[i]));
  }
  return key;
}

}  // namespace

// Names with their folder lists. A name's folders form a chain of links in
// the order recorded; folders are stored once each and shared by index.
class TFileSystemCache::Index {
 public:
  struct Node {
    uint32_t head = kNone;  // first link
    uint32_t tail = kNone;  // last link
  };
  struct Link {
    uint32_t folder;
    uint32_t next;
  };

  uint32_t NodeCount() const { return names_.Size(); }
  uint32_t FileCount() const { return static_cast<uint32_t>(links_.size()); }

  uint32_t FindNode(std::string_view name) const { return names_.Find(name); }

  uint32_t AddNode(std::string_view name) { return AddNode(name, names_.Hash(name)); }
  uint32_t AddNode(std::string_view name, uint64_t h) {
    nodes_.push_back({});
    return names_.Add(name, h);
  }

  // Appends the folder to the node's list unless it is there already.
  bool AddFolder(uint32_t node, std::string_view folder) {
    // Paths arrive folder by folder: the folder of the last one is the
    // likeliest.
    if (lastFolder_ == kNone || folders_.At(lastFolder_) != folder) lastFolder_ = folders_.Intern(folder);
    const uint32_t id = lastFolder_;
    Node& n = nodes_[node];
    for (uint32_t l = n.head; l != kNone; l = links_[l].next)
      if (links_[l].folder == id) return false;
    const uint32_t link = static_cast<uint32_t>(links_.size());
    links_.push_back({id, kNone});
    if (n.tail == kNone)
      n.head = link;
    else
      links_[n.tail].next = link;
    n.tail = link;
    return true;
  }

  void AddPath(std::string_view path) {
    const size_t slash = path.rfind('\\');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.empty()) return;
    const uint64_t h = names_.Hash(name);
    uint32_t node = names_.Find(name, h);
    if (node == kNone) node = AddNode(name, h);
    AddFolder(node, folder);
  }

  StringList Find(std::string_view name) const {
    StringList result;
    const uint32_t node = FindNode(name);
    if (node == kNone) return result;
    const std::string_view stored = names_.At(node);
    for (uint32_t l = nodes_[node].head; l != kNone; l = links_[l].next) {
      const std::string_view folder = folders_.At(links_[l].folder);
      std::string path;
      path.reserve(folder.size() + stored.size());
      path.append(folder).append(stored);
      result.push_back(std::move(path));
    }
    return result;
  }

  void Reserve(size_t nodes, size_t links, size_t nameBytes) {
    nodes_.reserve(nodes);
    links_.reserve(links);
    names_.Reserve(nodes, nameBytes);
  }

  void ShrinkToFit() {
    nodes_.shrink_to_fit();
    links_.shrink_to_fit();
    names_.ShrinkToFit();
    folders_.ShrinkToFit();
  }

  size_t MemoryUsage() const {
    return sizeof(*this) + names_.MemoryUsage() + folders_.MemoryUsage() + nodes_.capacity() * sizeof(Node) +
           links_.capacity() * sizeof(Link);
  }

  // The names in order, then in balanced pre-order: each range's median
  // first, then its left part, then its right part.
  std::vector<uint32_t> PreOrder() const {
    std::vector<std::pair<uint64_t, uint32_t>> keyed(NodeCount());
    for (uint32_t i = 0; i < NodeCount(); ++i) keyed[i] = {SortKey(names_.At(i)), i};
    std::sort(keyed.begin(), keyed.end(), [this](const auto& a, const auto& b) {
      if (a.first != b.first) return a.first < b.first;
      const std::string_view x = names_.At(a.second), y = names_.At(b.second);
      return CompareNames(x.substr(std::min<size_t>(8, x.size())), y.substr(std::min<size_t>(8, y.size()))) <
             0;
    });
    std::vector<uint32_t> order;
    order.reserve(keyed.size());
    std::vector<std::pair<size_t, size_t>> ranges;
    ranges.emplace_back(0, keyed.size());
    while (!ranges.empty()) {
      const auto [lo, hi] = ranges.back();
      ranges.pop_back();
      if (lo >= hi) continue;
      const size_t mid = lo + (hi - lo) / 2;
      order.push_back(keyed[mid].second);
      ranges.emplace_back(mid + 1, hi);  // taken after the whole left part
      ranges.emplace_back(lo, mid);
    }
    return order;
  }

  std::string Text() const {
    const std::vector<uint32_t> order = PreOrder();
    size_t size = 0;
    for (uint32_t node : order) {
      size += names_.At(node).size() + 5;  // "<" name ">@" CR LF
      for (uint32_t l = nodes_[node].head; l != kNone; l = links_[l].next)
        size += folders_.At(links_[l].folder).size() + 2;
    }
    std::string text(size, '\0');
    char* out = text.data();
    auto put = [&out](std::string_view s) {
      std::memcpy(out, s.data(), s.size());
      out += s.size();
    };
    for (uint32_t node : order) {
      *out++ = '<';
      put(names_.At(node));
      *out++ = '>';
      *out++ = '@';
      for (uint32_t l = nodes_[node].head; l != kNone; l = links_[l].next) {
        *out++ = '<';
        put(folders_.At(links_[l].folder));
        *out++ = '>';
      }
      *out++ = '\r';
      *out++ = '\n';
    }
    return text;
  }

  // The text a line names (between its first "<" and the next ">"), and
  // that name's hash, with its slot fetched ahead of ParseLine.
  static std::string_view NameOfLine(std::string_view line) {
    if (line.empty() || line.front() != '<') return {};
    const size_t end = line.find('>', 1);
    return end == std::string_view::npos ? std::string_view() : line.substr(1, end - 1);
  }
  uint64_t PrefetchName(std::string_view name) const {
    const uint64_t h = names_.Hash(name);
    names_.Prefetch(h);
    return h;
  }

  // Adds one line of the file; false when it was skipped or dropped. h is
  // the hash of NameOfLine(line).
  bool ParseLine(std::string_view line, uint64_t h) {
    if (line.empty() || line.front() != '<') return false;
    size_t opens = 0, closes = 0;
    for (char c : line) {
      opens += c == '<';
      closes += c == '>';
    }
    if (opens != closes) return false;
    const size_t nameEnd = line.find('>', 1);
    const std::string_view name = line.substr(1, nameEnd - 1);
    if (name.empty() || names_.Find(name, h) != kNone) return false;
    const uint32_t node = AddNode(name, h);
    for (size_t pos = nameEnd + 1;;) {
      const size_t open = line.find('<', pos);
      if (open == std::string_view::npos) break;
      const size_t close = line.find('>', open + 1);
      if (close == std::string_view::npos) break;
      AddFolder(node, line.substr(open + 1, close - open - 1));
      pos = close + 1;
    }
    return true;
  }

 private:
  TextTable<NameFold> names_;  // a node's index is its name's index
  TextTable<FolderFold> folders_;
  std::vector<Node> nodes_;
  std::vector<Link> links_;
  uint32_t lastFolder_ = kNone;
};

TFileSystemCache::TFileSystemCache() : index_(std::make_unique<Index>()) {}
TFileSystemCache::~TFileSystemCache() = default;

void TFileSystemCache::Clear() {
  auto fresh = std::make_unique<Index>();
  std::unique_ptr<Index> old;
  {
    std::lock_guard lock(mutex_);
    old = std::exchange(index_, std::move(fresh));
    ++generation_;
  }
  // The old index is freed outside the lock.
}

void TFileSystemCache::AddFile(std::string_view path) {
  std::lock_guard lock(mutex_);
  index_->AddPath(path);
}

void TFileSystemCache::AddFiles(const StringList& paths) {
  std::lock_guard lock(mutex_);
  for (const auto& path : paths) index_->AddPath(path);
}

StringList TFileSystemCache::FindFile(std::string_view name) const {
  std::lock_guard lock(mutex_);
  return index_->Find(name);
}

int32_t TFileSystemCache::FileCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int32_t>(index_->FileCount());
}

int32_t TFileSystemCache::NodeCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int32_t>(index_->NodeCount());
}

size_t TFileSystemCache::MemoryUsage() const {
  std::lock_guard lock(mutex_);
  return index_->MemoryUsage();
}

bool TFileSystemCache::SaveToFile(std::string_view fileName) const {
  std::string text;
  {
    std::lock_guard lock(mutex_);
    text = index_->Text();
  }
  return platform::Files().ReplaceWholeFile(fileName, text);
}

bool TFileSystemCache::LoadFromFile(std::string_view fileName, const TLoadPacing& pacing) {
  auto& files = platform::Files();
  const auto attributes = files.Attributes(fileName);
  if (!attributes) return true;
  if (*attributes & platform::kAttrDirectory) return false;

  uint64_t generation;
  {
    std::lock_guard lock(mutex_);
    generation = generation_;
  }

  const std::optional<std::string> bytes = files.ReadWholeFile(fileName);
  if (!bytes) return false;
  const std::string_view data(*bytes);

  auto loaded = std::make_unique<Index>();
  const size_t lines = static_cast<size_t>(std::count(data.begin(), data.end(), '\n')) + 1;
  const size_t items = static_cast<size_t>(std::count(data.begin(), data.end(), '<'));
  loaded->Reserve(lines, items > lines ? items - lines : 0, data.size() / 4);

  // Lines go in groups: the names' table slots are fetched for the whole
  // group first, so the misses overlap instead of coming one at a time.
  constexpr size_t kGroup = 32;
  std::string_view group[kGroup];
  uint64_t hashes[kGroup];
  int sinceLastPause = 0;
  for (size_t start = 0; start < data.size();) {
    size_t count = 0;
    while (count < kGroup && start < data.size()) {
      size_t end = data.find('\n', start);
      if (end == std::string_view::npos) end = data.size();
      std::string_view line = data.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      start = end + 1;
      hashes[count] = loaded->PrefetchName(Index::NameOfLine(line));
      group[count++] = line;
    }
    for (size_t i = 0; i < count; ++i) {
      loaded->ParseLine(group[i], hashes[i]);
      if (pacing.linesPerPause > 0 && ++sinceLastPause >= pacing.linesPerPause) {
        sinceLastPause = 0;
        if (pacing.stop.stop_requested()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(pacing.pauseMs));
      }
    }
  }
  if (pacing.stop.stop_requested()) return false;
  loaded->ShrinkToFit();

  std::unique_ptr<Index> old;
  {
    std::lock_guard lock(mutex_);
    if (generation_ != generation) return false;  // cleared meanwhile: the newer contents win
    old = std::exchange(index_, std::move(loaded));
  }
  return true;
}

}  // namespace vp
