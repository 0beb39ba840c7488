#include "files/PathText.h"

#include <cmath>

#include "files/FileTools.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {
namespace {

constexpr std::string_view kFourLetterExtensions[] = {"html", "java", "jpeg", "mpeg", "jude"};
constexpr std::string_view kThreeLetterExtensions[] = {"exe", "dll", "ocx", "vcx", "dat", "inf", "ini", "reg",
                                                       "zip", "rar", "jar", "ace", "bmp", "ico", "tmp", "jpg",
                                                       "gif", "mp3", "avi", "txt", "doc", "pdf", "htm"};

constexpr TByteSet kExtensionEnd("/\\ *?<>|,\"-'%");

constexpr TByteSet kFolderEnd("\\:");

constexpr TByteSet kExtensionStart(".\\:");

std::string AsciiLower(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return result;
}

bool IsPathLike(unsigned char c) {
  if (c < 32) return false;
  if (c >= 34 && c <= 45) return false;
  if (c >= 59 && c <= 64) return false;
  if (c == 91 || c == 93 || c == 94 || c == 96) return false;
  if (c >= 123 && c <= 127) return false;
  return true;
}

}  // namespace

std::string_view PathFolderPart(std::string_view path) {
  const size_t at = FindLastOf(path, kFolderEnd);
  return at == std::string_view::npos ? std::string_view() : path.substr(0, at + 1);
}

std::string_view PathExtension(std::string_view path) {
  const size_t at = FindLastOf(path, kExtensionStart);
  return (at == std::string_view::npos || path[at] != '.') ? std::string_view() : path.substr(at);
}

std::string NormalizeExtension(std::string_view text) {
  if (text.size() >= 4) {
    const std::string four = AsciiLower(text.substr(0, 4));
    for (std::string_view known : kFourLetterExtensions)
      if (four == known) return four;
  }
  if (text.size() >= 3) {
    const std::string three = AsciiLower(text.substr(0, 3));
    for (std::string_view known : kThreeLetterExtensions)
      if (three == known) return three;
  }
  const size_t end = FindFirstOf(text, kExtensionEnd);
  std::string_view rest = end == std::string_view::npos ? text : text.substr(0, end);
  if (rest.size() == 10) rest = rest.substr(0, 3);
  return std::string(rest);
}

std::string CutAtExtension(std::string_view text) {
  for (size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.', dot + 1)) {
    std::string candidate(text.substr(0, dot + 1));
    candidate += NormalizeExtension(text.substr(dot + 1, 10));
    candidate = Trim(candidate);
    if (IsValidPathSyntax(candidate, true)) return candidate;
  }
  return std::string();
}

StringList ExtractPathCandidates(std::string_view text) {
  StringList candidates;
  for (size_t at = text.find(":\\"); at != std::string_view::npos; at = text.find(":\\", at + 1)) {
    std::string candidate = CutAtExtension(text.substr(at > 0 ? at - 1 : 0));
    if (!candidate.empty()) candidates.push_back(std::move(candidate));
  }
  return candidates;
}

int PathScore(std::string_view text) {
  const size_t n = text.size();
  if (n < 3) return 0;
  // The system's case mapping for every byte, to tell letters and their case.
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<char>(i);
  const std::string upper = platform::Sys().UpperCase(all);
  const std::string lower = platform::Sys().LowerCase(all);

  double pathLike = 0, upperCount = 0, lowerCount = 0, sum = 0;
  int dots = 0;
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (IsPathLike(c)) ++pathLike;
    const bool isLetter = upper[c] != lower[c];
    if (isLetter && upper[c] == ch) ++upperCount;
    if (isLetter && lower[c] == ch) ++lowerCount;
    if (c == '.') ++dots;
    sum += c;
  }
  const double caseTerm = ((upperCount + 1) / (lowerCount + 1)) / (upperCount + lowerCount + 2) * 93.0;
  const double mean = sum / static_cast<double>(n);
  double squares = 0;
  for (char ch : text) {
    const double d = static_cast<unsigned char>(ch) - mean;
    squares += d * d;
  }
  const double spread = std::sqrt(squares / static_cast<double>(n - 1));
  double score = pathLike / static_cast<double>(n) * 100.0 - spread - caseTerm;
  if (dots != 1) score -= 1.25 * dots;
  return static_cast<int>(std::nearbyint(score));  // the default rounding: halves to even
}

std::string PickMostPlausible(const StringList& list) {
  if (list.empty()) return std::string();
  if (list.size() == 1) return list.front();
  size_t best = 0;
  int bestScore = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const int score = PathScore(list[i]);
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return list[best];
}

std::string BestPathIn(std::string_view text) {
  const StringList candidates = ExtractPathCandidates(text);
  if (candidates.empty() && IsValidPathSyntax("c:\\" + std::string(text)) && PathFolderPart(text).empty() &&
      !PathExtension(text).empty())
    return std::string(text);
  return PickMostPlausible(candidates);
}

}  // namespace vp
