#include "files/Masks.h"

#include <bitset>
#include <cstdint>
#include <vector>

namespace vp {
namespace {

// One element of a compiled mask.
struct MaskToken {
  enum class Kind { Literal, AnyOne, AnyRun, Set } kind = Kind::Literal;
  unsigned char literal = 0;  // upper case
  std::bitset<256> set;       // upper-case members, negation applied
};

std::optional<std::string> Compile(std::string_view mask, std::vector<MaskToken>& tokens) {
  auto error = [&](size_t index) {
    return "'" + std::string(mask) + "' is an invalid mask at (" + std::to_string(index + 1) + ")";
  };
  tokens.clear();
  for (size_t i = 0; i < mask.size(); ++i) {
    MaskToken token;
    const char c = mask[i];
    if (c == '*') {
      // A run of stars is one star.
      if (!tokens.empty() && tokens.back().kind == MaskToken::Kind::AnyRun) continue;
      token.kind = MaskToken::Kind::AnyRun;
    } else if (c == '?') {
      token.kind = MaskToken::Kind::AnyOne;
    } else if (c == '[') {
      const size_t open = i++;
      bool negate = false;
      if (i < mask.size() && mask[i] == '!') {
        negate = true;
        ++i;
      }
      bool any = false;
      while (i < mask.size() && mask[i] != ']') {
        const unsigned char low = FixedUpper(static_cast<unsigned char>(mask[i]));
        unsigned char high = low;
        if (i + 1 < mask.size() && mask[i + 1] == '-') {
          if (i + 2 >= mask.size() || mask[i + 2] == ']') return error(open);
          high = FixedUpper(static_cast<unsigned char>(mask[i + 2]));
          i += 2;
        }
        for (unsigned value = low; value <= high; ++value) token.set.set(value);
        any = true;
        ++i;
      }
      if (i >= mask.size() || !any) return error(open);
      if (negate) token.set.flip();
      token.kind = MaskToken::Kind::Set;
    } else {
      token.literal = FixedUpper(static_cast<unsigned char>(c));
    }
    tokens.push_back(token);
  }
  return std::nullopt;
}

bool TokenMatches(const MaskToken& token, unsigned char c) {
  switch (token.kind) {
    case MaskToken::Kind::AnyOne:
      return true;
    case MaskToken::Kind::Set:
      return token.set.test(FixedUpper(c));
    case MaskToken::Kind::Literal:
      return token.literal == FixedUpper(c);
    case MaskToken::Kind::AnyRun:
      break;
  }
  return false;
}

// Greedy match with backtracking to the last star: linear in practice and
// never worse than length(name) x tokens.
bool Match(const std::vector<MaskToken>& tokens, std::string_view name) {
  size_t t = 0, n = 0;
  size_t starToken = SIZE_MAX, starName = 0;
  while (n < name.size()) {
    if (t < tokens.size() && tokens[t].kind == MaskToken::Kind::AnyRun) {
      starToken = t++;
      starName = n;
    } else if (t < tokens.size() && TokenMatches(tokens[t], static_cast<unsigned char>(name[n]))) {
      ++t;
      ++n;
    } else if (starToken != SIZE_MAX) {
      t = starToken + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (t < tokens.size() && tokens[t].kind == MaskToken::Kind::AnyRun) ++t;
  return t == tokens.size();
}

bool MatchOrFail(std::string_view name, std::string_view mask, std::string* error, bool& failed) {
  if (mask == "*" || mask == "*.*") return true;
  std::vector<MaskToken> tokens;
  if (auto problem = Compile(mask, tokens)) {
    if (error) *error = *problem;
    failed = true;
    return false;
  }
  return Match(tokens, name);
}

}  // namespace

std::optional<std::string> MaskError(std::string_view mask) {
  std::vector<MaskToken> tokens;
  return Compile(mask, tokens);
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  bool failed = false;
  return MatchOrFail(name, mask, nullptr, failed);
}

bool MatchesMaskList(std::string_view fileName, std::string_view maskList, const StringList& excludedTexts,
                     std::string* error) {
  if (maskList == "*" || maskList == "*.*") return true;
  std::string_view name = fileName;
  if (maskList.find('\\') == std::string_view::npos) {
    const size_t slash = name.rfind('\\');
    if (slash != std::string_view::npos) name = name.substr(slash + 1);
  }

  std::string rest(maskList);
  StringList exclusions;
  for (size_t dash = rest.find(" -"); dash != std::string::npos; dash = rest.find(" -", dash)) {
    const size_t start = dash + 2;
    size_t end = rest.find_first_of(" ;", start);
    if (end == std::string::npos) end = rest.size();
    std::string exclusion = Trim(std::string_view(rest).substr(start, end - start));
    if (!exclusion.empty()) exclusions.push_back(std::move(exclusion));
    rest.erase(dash, end - dash);
  }

  bool failed = false;
  bool included = false;
  size_t start = 0;
  while (start <= rest.size() && !included) {
    size_t end = rest.find(';', start);
    if (end == std::string::npos) end = rest.size();
    const std::string mask = Trim(std::string_view(rest).substr(start, end - start));
    if (!mask.empty() && MatchOrFail(name, mask, error, failed)) included = true;
    if (failed) return false;
    start = end + 1;
  }
  if (!included) return false;
  for (const auto& exclusion : exclusions) {
    const bool excluded = MatchOrFail(name, exclusion, error, failed);
    if (failed) return false;
    if (excluded) return false;
  }
  for (const auto& text : excludedTexts)
    if (!text.empty() && PosEx(text, name) > 0) return false;
  return true;
}

}  // namespace vp
