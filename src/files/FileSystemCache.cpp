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
  static unsigned char Fold(unsigned char c) { return FixedUpper(c); }
};

template <class Fold>
uint64_t HashOf(std::string_view text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= Fold::Fold(c);
    h *= 1099511628211ull;
  }
  // Spread the low bits, which pick the slot.
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9ull;
  h ^= h >> 32;
  return h;
}

template <class Fold>
bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
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

  uint32_t Find(std::string_view text) const {
    if (slots_.empty()) return kNone;
    const uint64_t h = HashOf<Fold>(text);
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
  uint32_t Add(std::string_view text) {
    if ((spans_.size() + 1) * 2 > slots_.size()) Rehash(std::max<size_t>(16, slots_.size() * 2));
    const uint32_t index = static_cast<uint32_t>(spans_.size());
    spans_.push_back({static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(text.size())});
    bytes_.append(text);
    Place(HashOf<Fold>(text), index);
    return index;
  }

  uint32_t Intern(std::string_view text) {
    const uint32_t found = Find(text);
    return found != kNone ? found : Add(text);
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

  uint32_t AddNode(std::string_view name) {
    nodes_.push_back({});
    return names_.Add(name);
  }

  // Appends the folder to the node's list unless it is there already.
  bool AddFolder(uint32_t node, std::string_view folder) {
    const uint32_t id = folders_.Intern(folder);
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
    uint32_t node = FindNode(name);
    if (node == kNone) node = AddNode(name);
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

  // Adds one line of the file; false when it was skipped or dropped.
  bool ParseLine(std::string_view line) {
    const auto opens = std::count(line.begin(), line.end(), '<');
    const auto closes = std::count(line.begin(), line.end(), '>');
    if (opens == 0 || opens != closes || line.front() != '<') return false;
    const size_t nameEnd = line.find('>', 1);
    const std::string_view name = line.substr(1, nameEnd - 1);
    if (name.empty() || FindNode(name) != kNone) return false;
    const uint32_t node = AddNode(name);
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

  int sinceLastPause = 0;
  for (size_t start = 0; start < data.size();) {
    size_t end = data.find('\n', start);
    if (end == std::string_view::npos) end = data.size();
    std::string_view line = data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) loaded->ParseLine(line);
    start = end + 1;
    if (pacing.linesPerPause > 0 && ++sinceLastPause >= pacing.linesPerPause) {
      sinceLastPause = 0;
      if (pacing.stop && pacing.stop->load()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(pacing.pauseMs));
    }
  }
  if (pacing.stop && pacing.stop->load()) return false;
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
