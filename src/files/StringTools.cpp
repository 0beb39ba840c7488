#include "files/StringTools.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

namespace {

constexpr std::array<unsigned char, 256> MakeFixedUpperTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<unsigned char>(c - 32);
  // Windows-1251: the Cyrillic block and the scattered letter pairs.
  for (int c = 224; c <= 255; ++c) table[c] = static_cast<unsigned char>(c - 32);
  constexpr int kPairs[][2] = {{131, 129}, {144, 128}, {154, 138}, {156, 140}, {157, 141},
                               {158, 142}, {159, 143}, {162, 161}, {179, 178}, {180, 165},
                               {184, 168}, {186, 170}, {188, 163}, {190, 189}, {191, 175}};
  for (const auto& pair : kPairs) table[pair[0]] = static_cast<unsigned char>(pair[1]);
  return table;
}

constexpr std::array<unsigned char, 256> kFixedUpper = MakeFixedUpperTable();

inline bool SameByte(char a, char b, bool exact) {
  if (a == b) return true;
  return !exact && kFixedUpper[static_cast<unsigned char>(a)] == kFixedUpper[static_cast<unsigned char>(b)];
}

// 0-based index of the first occurrence at or after from, or npos. Without
// regard to case the needle is folded once, and each position of the text
// costs one table lookup until its first byte matches (searches of key paths
// for fixed parts run for every key a scan walks).
size_t Find(std::string_view needle, std::string_view text, size_t from, bool exact) {
  if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
  const size_t last = text.size() - needle.size();
  if (exact) {
    for (size_t i = from; i <= last; ++i)
      if (text[i] == needle[0] && text.compare(i, needle.size(), needle) == 0) return i;
    return std::string_view::npos;
  }
  constexpr size_t kShortNeedle = 64;
  unsigned char shortFolded[kShortNeedle];
  std::string longFolded;
  const unsigned char* folded = shortFolded;
  if (needle.size() <= kShortNeedle) {
    for (size_t k = 0; k < needle.size(); ++k)
      shortFolded[k] = kFixedUpper[static_cast<unsigned char>(needle[k])];
  } else {
    longFolded = FixedUpperText(needle);
    folded = reinterpret_cast<const unsigned char*>(longFolded.data());
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char first = folded[0];
  for (size_t i = from; i <= last; ++i) {
    if (kFixedUpper[bytes[i]] != first) continue;
    size_t k = 1;
    while (k < needle.size() && kFixedUpper[bytes[i + k]] == folded[k]) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

int ToPosition(size_t index) {
  return index == std::string_view::npos ? 0 : static_cast<int>(index + 1);
}

std::string ReplaceAll(std::string_view text, char from, std::string_view to, const std::atomic<bool>* stop,
                       bool& stopped) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
      stopped = true;
      result.append(text.substr(i));
      return result;
    }
    if (text[i] == from)
      result.append(to);
    else
      result.push_back(text[i]);
  }
  return result;
}

}  // namespace

// ---------------------------------------------------------------- fixed case table

unsigned char FixedUpper(unsigned char c) {
  return kFixedUpper[c];
}

std::string FixedUpperText(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = FixedUpper(c);
  return result;
}

// ---------------------------------------------------------------- comparison and search

size_t FindFirstOf(std::string_view text, const TByteSet& set, size_t from) {
  for (size_t i = from; i < text.size(); ++i)
    if (set.Has(text[i])) return i;
  return std::string_view::npos;
}

size_t FindLastOf(std::string_view text, const TByteSet& set) {
  for (size_t i = text.size(); i-- > 0;)
    if (set.Has(text[i])) return i;
  return std::string_view::npos;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!SameByte(a[i], b[i], false)) return false;
  return true;
}

bool SamePath(std::string_view a, std::string_view b) {
  if (!a.empty() && a.back() == '\\') a.remove_suffix(1);
  if (!b.empty() && b.back() == '\\') b.remove_suffix(1);
  return SameText(a, b);
}

int PosEx(std::string_view needle, std::string_view text, int start, int caseFlag) {
  const size_t from = start < 1 ? 0 : static_cast<size_t>(start - 1);
  if (from >= text.size()) return 0;
  return ToPosition(Find(needle, text, from, caseFlag == kMatchCase));
}

int IndexOfContained(const StringList& list, std::string_view text, int caseFlag) {
  for (size_t i = 0; i < list.size(); ++i)
    if (PosEx(list[i], text, 1, caseFlag) > 0) return static_cast<int>(i);
  return -1;
}

int LastPos(std::string_view needle, std::string_view text) {
  int last = 0;
  for (int hit = PosEx(needle, text, 1); hit > 0; hit = PosEx(needle, text, hit + 1)) last = hit;
  return last;
}

int CountOccurrences(std::string_view needle, std::string_view text) {
  int count = 0;
  const int step = static_cast<int>(needle.size());
  for (int hit = PosEx(needle, text, 1); hit > 0; hit = PosEx(needle, text, hit + step)) ++count;
  return count;
}

bool IsUpperCaseText(std::string_view text) {
  const auto& sys = platform::Sys();
  return sys.UpperCase(text) == text && sys.LowerCase(text) != text;
}

bool IsLowerCaseText(std::string_view text) {
  const auto& sys = platform::Sys();
  return sys.LowerCase(text) == text && sys.UpperCase(text) != text;
}

// ---------------------------------------------------------------- editing

std::string Trim(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

std::string ExcludeTrailingBackslash(std::string_view text) {
  if (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  return std::string(text);
}

std::string EnsureTrailing(std::string_view text, char c) {
  std::string result(text);
  if (result.empty() || result.back() != c) result.push_back(c);
  return result;
}

std::string CollapseDoubleBackslashes(std::string_view text) {
  if (text.find("\\\\") == std::string_view::npos) return {};
  std::string result;
  result.reserve(text.size());
  for (char c : text)
    if (!(c == '\\' && !result.empty() && result.back() == '\\')) result.push_back(c);
  return result;
}

std::string RemoveWhitespace(std::string_view text, bool nulOnly) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    const bool drop = nulOnly ? c == '\0' : (c == '\n' || c == '\r' || c == '\0' || c == '\t');
    if (!drop) kept.push_back(c);
  }
  return Trim(kept);
}

std::string RemoveFirstAmpersand(std::string_view text) {
  std::string result(text);
  const size_t at = result.find('&');
  if (at != std::string::npos) result.erase(at, 1);
  return result;
}

std::string CapitalizeWords(std::string_view text) {
  if (text.empty()) return {};
  if (text.front() == '&') {
    std::string result(text.substr(1, 1000));
    if (!result.empty() && result.front() == ' ') result.erase(0, 1);
    return result;
  }
  const auto& sys = platform::Sys();
  std::string result(text);
  if (sys.UpperCase(result) == result) result = sys.LowerCase(result);
  auto raise = [&sys](char& c) { c = sys.UpperCase(std::string_view(&c, 1))[0]; };
  raise(result[0]);
  for (size_t i = 1; i + 1 < result.size(); ++i)
    if (result[i - 1] == ' ') raise(result[i]);
  if (static_cast<unsigned char>(result.back()) == 255) result.pop_back();
  return Trim(result);
}

std::string FileNameWithoutExt(std::string_view path) {
  static constexpr TByteSet kDelimiters("\\:");
  const size_t delimiter = FindLastOf(path, kDelimiters);
  const std::string_view name = delimiter == std::string_view::npos ? path : path.substr(delimiter + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::string(name);
  const int at = PosEx(name.substr(dot), name, 1);
  return std::string(name.substr(0, static_cast<size_t>(at - 1)));
}

std::string EncodeQueryText(std::string_view text, const std::atomic<bool>* stop) {
  bool stopped = false;
  std::string plusEncoded = ReplaceAll(text, '+', "%2B", stop, stopped);
  if (stopped) return plusEncoded;
  return ReplaceAll(plusEncoded, ' ', "+", stop, stopped);
}

std::string FormatPlaceholders(std::string_view templ, const std::vector<std::string>& args) {
  constexpr int kMaxPlaceholders = 8;
  auto placeholder = [](int k) { return std::string{'{', static_cast<char>('0' + k), '}'}; };
  auto argument = [&args](int k) -> std::string_view {
    return static_cast<size_t>(k) <= args.size() ? std::string_view(args[k - 1]) : std::string_view();
  };
  for (int k = 1; k <= kMaxPlaceholders; ++k)
    if (!argument(k).empty() && templ.find(placeholder(k)) == std::string_view::npos) return {};

  // Positions in the template itself, so that inserted text is never taken
  // for a placeholder. Distinct placeholders cannot overlap.
  struct Slot {
    size_t at;
    int k;
  };
  std::vector<Slot> slots;
  for (int k = 1; k <= kMaxPlaceholders; ++k) {
    const size_t at = templ.find(placeholder(k));
    if (at == std::string_view::npos) break;
    slots.push_back({at, k});
  }
  std::sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) { return a.at < b.at; });
  std::string result;
  size_t copied = 0;
  for (const Slot& slot : slots) {
    result.append(templ.substr(copied, slot.at - copied));
    result.append(argument(slot.k));
    copied = slot.at + 3;
  }
  result.append(templ.substr(copied));
  return result;
}

std::string FormatPlaceholders(std::string_view templ, std::string_view s1, std::string_view s2,
                               std::string_view s3, std::string_view s4, std::string_view s5,
                               std::string_view s6, std::string_view s7, std::string_view s8) {
  return FormatPlaceholders(
      templ, std::vector<std::string>{std::string(s1), std::string(s2), std::string(s3), std::string(s4),
                                      std::string(s5), std::string(s6), std::string(s7), std::string(s8)});
}

std::string ExpandEnvironment(std::string_view text) {
  const auto expanded = platform::Sys().ExpandEnvironment(text);
  return expanded ? Trim(*expanded) : std::string();
}

StringList SplitPath(std::string_view path) {
  constexpr int kMaxComponents = 1001;
  StringList components;
  std::string rest(path);
  if (rest.empty() || rest.back() != '\\') rest.push_back('\\');
  std::string_view text(rest);
  const size_t drive = text.find(":\\");
  if (drive != std::string_view::npos) {
    if (drive > 0) components.emplace_back(text.substr(0, drive));
    text.remove_prefix(drive + 2);
  }
  for (int taken = 0; taken < kMaxComponents; ++taken) {
    const size_t slash = text.find('\\');
    if (slash == std::string_view::npos) break;
    if (slash > 0) components.emplace_back(text.substr(0, slash));
    text.remove_prefix(slash + 1);
  }
  return components;
}

// ---------------------------------------------------------------- lists and other

void RemoveDuplicates(StringList& list) {
  if (list.size() < 2) return;
  const auto& sys = platform::Sys();
  std::stable_sort(list.begin(), list.end(), [&sys](const std::string& a, const std::string& b) {
    return sys.CompareTextNoCase(a, b) < 0;
  });
  // Equal entries are neighbours after the sort; the miss counter bounds the
  // look-ahead for names the locale sorts apart from their lower-case twins.
  int misses = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string lowered = sys.LowerCase(list[i]);
    size_t j = i + 1;
    while (j < list.size()) {
      if (sys.LowerCase(list[j]) == lowered) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(j));
        misses = 0;
      } else {
        ++j;
        if (++misses >= 5) break;
      }
    }
  }
}

std::string BoolToText(bool value) {
  return value ? "True" : "False";
}

std::string Sha1Hex(std::string_view text) {
  uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  auto rotl = [](uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
  auto block = [&](const unsigned char* p) {
    uint32_t w[80];
    for (int t = 0; t < 16; ++t)
      w[t] = (uint32_t{p[4 * t]} << 24) | (uint32_t{p[4 * t + 1]} << 16) | (uint32_t{p[4 * t + 2]} << 8) |
             uint32_t{p[4 * t + 3]};
    for (int t = 16; t < 80; ++t) w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int t = 0; t < 80; ++t) {
      uint32_t f, k;
      if (t < 20) {
        f = (b & c) | (~b & d);
        k = 0x5A827999u;
      } else if (t < 40) {
        f = b ^ c ^ d;
        k = 0x6ED9EBA1u;
      } else if (t < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8F1BBCDCu;
      } else {
        f = b ^ c ^ d;
        k = 0xCA62C1D6u;
      }
      const uint32_t temp = rotl(a, 5) + f + e + k + w[t];
      e = d;
      d = c;
      c = rotl(b, 30);
      b = a;
      a = temp;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
  };

  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const size_t whole = text.size() / 64 * 64;
  for (size_t i = 0; i < whole; i += 64) block(data + i);

  // Padding: 0x80, zeros, then the message length in bits, big-endian.
  unsigned char tail[128] = {};
  const size_t rest = text.size() - whole;
  std::copy(data + whole, data + text.size(), tail);
  tail[rest] = 0x80;
  const size_t tailSize = rest < 56 ? 64 : 128;
  const uint64_t bits = static_cast<uint64_t>(text.size()) * 8;
  for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
  for (size_t i = 0; i < tailSize; i += 64) block(tail + i);

  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string digest;
  digest.reserve(40);
  for (uint32_t word : h)
    for (int shift = 28; shift >= 0; shift -= 4) digest.push_back(kHex[(word >> shift) & 0xF]);
  return digest;
}

}  // namespace vp
