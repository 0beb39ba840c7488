#include "scanner/IgnoreMatch.h"

#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

const std::string* FindPlainIgnore(const StringList& list, std::string_view text) {
  const int index = IndexOfContained(list, text, kIgnoreCase);
  return index < 0 ? nullptr : &list[static_cast<size_t>(index)];
}

const std::string* FindExactIgnore(const StringList& list, std::string_view rootName,
                                   std::string_view keyPath, std::string_view valueName,
                                   std::string_view wholeKeyText,
                                   const std::function<bool()>& stopRequested) {
  std::string name = Trim(valueName);
  if (name == wholeKeyText) name.clear();
  const std::string subject = platform::Sys().LowerCase(Trim(rootName) + "\\" + Trim(keyPath) + "\\" + name);
  for (const std::string& entry : list) {
    if (stopRequested && stopRequested()) return nullptr;
    if (entry.size() < kExactIgnorePrefix.size() ||
        !SameText(std::string_view(entry).substr(0, kExactIgnorePrefix.size()), kExactIgnorePrefix))
      continue;
    if (std::string_view(entry).substr(kExactIgnorePrefix.size()) == subject) return &entry;
  }
  return nullptr;
}

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return PosEx(part, text, 1, kIgnoreCase) > 0;
}

bool BracketRuleMatches(std::string_view rule, std::string_view rootAndKey, std::string_view valueName) {
  const size_t open = rule.find('[');
  const size_t close = rule.find(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return false;
  const std::string_view key = rule.substr(open + 1, close - open - 1);
  std::string_view name = rule.substr(close + 1);
  if (const size_t equals = name.find('='); equals != std::string_view::npos) name = name.substr(0, equals);
  const bool keyMatches = SameText(key, rootAndKey) || Contains(rootAndKey, key) || Contains(key, rootAndKey);
  return keyMatches && (name.empty() || SameText(name, valueName));
}

}  // namespace

const std::string* FindExtraIgnore(const StringList& rules, std::string_view rootAndKey,
                                   std::string_view valueName, std::string_view valueData) {
  for (const std::string& rule : rules) {
    if (rule.size() >= 2 && rule[0] == ':' && rule[1] == ':') {
      const std::string_view text = std::string_view(rule).substr(2);
      if (Contains(rootAndKey, text) || Contains(valueName, text) || Contains(valueData, text)) return &rule;
    } else if (BracketRuleMatches(rule, rootAndKey, valueName)) {
      return &rule;
    }
  }
  return nullptr;
}

}  // namespace vp
