#include "backup/RandomTree.h"

#include <set>

#include "platform/Platform.h"
#include "platform/System.h"
#include "registry/RegExportText.h"

namespace vp::backup::test {
namespace {

// The code page's printable characters above 127 that every system maps (the
// five undefined bytes of code page 1252 are left out).
const std::string kHigh = "\x80\x8A\x9C\xA7\xB0\xC4\xE9\xFC\xFF";
const std::string kKeyChars = "abcxyz019_-.'#{}[]()" + kHigh;
const std::string kNameChars = "abcXYZ019 _-.\"\\@=[]{}'#%&" + kHigh;
const std::string kTextChars = "abcXYZ019 _-.\"\\@=[]%;\r\n\t" + kHigh;
// The system's editor writes line breaks in names and strings as \r and \n.
const std::string kExportNameChars = kNameChars + "\r\n";

int Below(std::mt19937& random, int n) {
  return std::uniform_int_distribution<int>(0, n - 1)(random);
}

std::string Pick(std::mt19937& random, const std::string& chars, int minLength, int maxLength) {
  std::string text;
  const int length = minLength + Below(random, maxLength - minLength + 1);
  for (int i = 0; i < length; ++i) text += chars[Below(random, static_cast<int>(chars.size()))];
  return text;
}

std::string Bytes(std::mt19937& random, int length) {
  std::string bytes;
  for (int i = 0; i < length; ++i) bytes += static_cast<char>(Below(random, 256));
  return bytes;
}

StoredValue RandomValue(std::mt19937& random, bool forExport) {
  using namespace std::string_literals;
  static const uint32_t kTypes[] = {platform::kRegSz,
                                    platform::kRegSz,
                                    platform::kRegExpandSz,
                                    platform::kRegMultiSz,
                                    platform::kRegDword,
                                    platform::kRegBinary,
                                    platform::kRegBinary,
                                    platform::kRegNone,
                                    platform::kRegQword,
                                    platform::kRegDwordBigEndian,
                                    platform::kRegLink,
                                    platform::kRegResourceList,
                                    0x4321};
  static const int kLengths[] = {0, 1, 4, 25, 26, 27, 51, 52, 300};
  StoredValue value;
  value.type = kTypes[Below(random, sizeof kTypes / sizeof kTypes[0])];
  switch (value.type) {
    case platform::kRegSz:
      value.data = Pick(random, kTextChars, 0, 40) + "\0"s;
      if (!forExport && Below(random, 6) == 0)
        value.data += Pick(random, kTextChars, 1, 5) + "\0"s;  // inner NUL
      break;
    case platform::kRegExpandSz:
      value.data = "%SystemRoot%\\" + Pick(random, kTextChars, 0, 30) + "\0"s;
      break;
    case platform::kRegMultiSz:
      for (int i = Below(random, 4); i > 0; --i) {
        value.data += Pick(random, kTextChars, 1, 20) + "\0"s;
      }
      value.data += "\0"s;
      break;
    case platform::kRegDword:
      value.data = Bytes(random, !forExport && Below(random, 5) == 0 ? 2 : 4);
      break;
    default:
      value.data = Bytes(random, kLengths[Below(random, sizeof kLengths / sizeof kLengths[0])]);
      break;
  }
  return value;
}

void AddKey(std::mt19937& random, const std::string& path, int depth, int maxDepth, bool forExport,
            TreeSnapshot& tree) {
  auto& values = tree[path];
  std::set<std::string> taken;
  for (int i = Below(random, 5); i > 0; --i) {
    std::string name =
        Below(random, 5) == 0 ? "" : Pick(random, forExport ? kExportNameChars : kNameChars, 1, 12);
    // Callers name values trimmed ("@" alone is the default value).
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    if (name == "@") continue;
    if (!taken.insert(platform::Sys().UpperCase(name)).second) continue;
    values[name] = RandomValue(random, forExport);
  }
  if (depth >= maxDepth) return;
  taken.clear();
  for (int i = Below(random, 4); i > 0; --i) {
    const std::string name = Pick(random, kKeyChars, 1, 10);
    if (!taken.insert(platform::Sys().UpperCase(name)).second) continue;
    AddKey(random, path.empty() ? name : path + "\\" + name, depth + 1, maxDepth, forExport, tree);
  }
}

}  // namespace

TreeSnapshot RandomTree(std::mt19937& random, int maxDepth, bool forExport) {
  TreeSnapshot tree;
  AddKey(random, "", 0, maxDepth, forExport, tree);
  return tree;
}

}  // namespace vp::backup::test
