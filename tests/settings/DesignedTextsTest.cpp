#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "settings/DesignedTexts.h"
#include "settings/FakeTranslatable.h"
#include "settings/Translator.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

const std::string kSep(kListValueSeparator);
const char kUntranslated[] = "?";

// A window built from the design table; every control holds a marker text
// until the translator gives it one.
std::unique_ptr<test::FakeWindow> Build(const DesignedWindow& design) {
  auto window = std::make_unique<test::FakeWindow>(std::string(design.name), kUntranslated);
  for (const DesignedControl& control : design.controls)
    window->Add(std::string(control.name), control.componentClass, kUntranslated, {kUntranslated});
  for (const DesignedMenu& menu : design.menus) {
    auto& top =
        window->Add(std::string(menu.name), menu.popup ? ComponentClass::PopupMenu : ComponentClass::MenuItem,
                    kUntranslated, {kUntranslated});
    for (const DesignedMenuItem& item : menu.items) {
      auto& sub = window->Add(std::string(item.name), ComponentClass::MenuItem,
                              item.IsSeparator() ? "-" : kUntranslated, {kUntranslated});
      sub.separator = item.IsSeparator();
      sub.inPopup = menu.popup;
      top.subItems.push_back(&sub);
    }
  }
  return window;
}

bool IsListClass(ComponentClass c) {
  return c == ComponentClass::TabControl || c == ComponentClass::ListView || c == ComponentClass::ComboBox ||
         c == ComponentClass::PageControl || c == ComponentClass::CheckListBox;
}

StringList Strings(const std::vector<std::string_view>& views) {
  return StringList(views.begin(), views.end());
}

StringList MenuCaptions(const DesignedMenu& menu) {
  StringList captions;
  for (const DesignedMenuItem& item : menu.items)
    if (!item.IsSeparator()) captions.emplace_back(item.caption);
  return captions;
}

// Every window the program designs, translated from the shipped English.lng by
// the translator itself, shows exactly the designed English texts; controls
// whose texts are set at run time are left alone.
TEST(DesignedTextsTest, EnglishFileGivesEveryDesignedText) {
  TTranslator translator;
  std::vector<std::unique_ptr<test::FakeWindow>> windows;
  std::string path;
  bool loaded = false;
  {
    test::ShippedLanguages shipped;
    path = shipped.English();
    loaded = translator.LoadFile(path);
    for (const DesignedWindow* design : DesignedWindows()) {
      windows.push_back(Build(*design));
      translator.Translate(*windows.back(), false);
    }
  }
  ASSERT_TRUE(loaded) << path;

  for (size_t w = 0; w < windows.size(); ++w) {
    const DesignedWindow& design = *DesignedWindows()[w];
    const test::FakeWindow& window = *windows[w];
    EXPECT_EQ(window.caption, design.caption) << design.name;
    for (const DesignedControl& control : design.controls) {
      const test::FakeComponent& c = window.Find(control.name);
      const std::string where = std::string(design.name) + "." + std::string(control.name);
      if (control.TextAtRunTime()) {
        EXPECT_EQ(c.text + c.items.at(0), "??") << where << " takes its text at run time";
      } else if (IsListClass(control.componentClass)) {
        EXPECT_EQ(c.items, Strings(control.items)) << where;
      } else {
        EXPECT_EQ(c.text, Trim(control.text)) << where;  // values are read trimmed
      }
    }
    for (const DesignedMenu& menu : design.menus) {
      const test::FakeComponent& top = window.Find(menu.name);
      if (!menu.popup) {
        EXPECT_EQ(top.text, menu.caption) << design.name << "." << menu.name;
      }
      StringList shown;
      for (const TranslatableComponent* sub : top.subItems)
        if (!sub->IsSeparator()) shown.push_back(sub->Text());
      EXPECT_EQ(shown, MenuCaptions(menu)) << design.name << "." << menu.name;
    }
  }
}

// Names and keys within one window never collide, and every designed control
// has a class the language file can address.
TEST(DesignedTextsTest, NamesAndKeysAreUniquePerWindow) {
  for (const DesignedWindow* design : DesignedWindows()) {
    std::set<std::string_view> names;
    std::set<std::string> keys;
    for (const DesignedControl& control : design->controls) {
      EXPECT_TRUE(names.insert(control.name).second) << design->name << ": " << control.name;
      const std::string key = ComponentKey(control.componentClass, control.name);
      EXPECT_FALSE(key.empty()) << control.name;
      EXPECT_TRUE(keys.insert(key).second) << design->name << ": " << control.name << " shares " << key;
      EXPECT_TRUE(control.text.empty() || control.items.empty()) << control.name;
      if (!control.TextAtRunTime()) {
        EXPECT_EQ(IsListClass(control.componentClass), !control.items.empty()) << control.name;
      }
    }
    for (const DesignedMenu& menu : design->menus) {
      EXPECT_TRUE(names.insert(menu.name).second) << design->name << ": " << menu.name;
      EXPECT_EQ(menu.popup, menu.caption.empty()) << menu.name;
      // A popup is translated only when it has a second item.
      if (menu.popup) {
        EXPECT_GE(MenuCaptions(menu).size(), 2u) << menu.name;
      }
      for (const DesignedMenuItem& item : menu.items) {
        if (!item.IsSeparator()) {
          EXPECT_TRUE(names.insert(item.name).second) << design->name << ": " << item.name;
        }
      }
    }
  }
}

// The file as bytes: CR LF lines, code page 1252 text, no duplicate sections
// or keys, no section or key the program does not read, component keys in
// their form, list values with one piece per designed item.
TEST(DesignedTextsTest, EnglishFileHoldsOnlyWellFormedEntries) {
  const std::string bytes = test::HostFileBytes(test::DataPath("../../data/Languages/English.lng"));
  ASSERT_FALSE(bytes.empty());
  ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

  // The expected keys of every section the program reads, and what each key holds.
  struct Expected {
    std::string list;      // list value: the items joined; empty for a caption
    bool runTime = false;  // must be absent
  };
  std::map<std::string, std::map<std::string, Expected>, std::less<>> known;
  known["Header"] = {{"Language", {}}, {"Language2", {}}};
  for (const std::string& id : BoundMessageIds())
    known[id.substr(0, id.rfind('.'))][id.substr(id.rfind('.') + 1)] = {};
  for (const DesignedWindow* design : DesignedWindows()) {
    auto& section = known[LanguageSection(*design)];
    section["0"] = {};
    for (const DesignedControl& control : design->controls) {
      Expected e{IsListClass(control.componentClass) ? JoinListValue(Strings(control.items)) : "",
                 control.TextAtRunTime()};
      section[ComponentKey(control.componentClass, control.name)] = e;
    }
    for (const DesignedMenu& menu : design->menus) {
      auto& menuSection = known[LanguageSection(*design, menu)];
      const size_t count = MenuCaptions(menu).size() + (menu.popup ? 0 : 1);
      for (size_t k = 0; k < count; ++k) menuSection[std::to_string(k)] = {};
    }
  }

  std::map<std::string, std::set<std::string>, std::less<>> seen;
  std::string section;
  std::istringstream lines(bytes);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const std::string at = "line " + std::to_string(number) + ": ";
    ASSERT_TRUE(!line.empty() && line.back() == '\r') << at << "not ended by CR LF";
    line.pop_back();
    for (const unsigned char b : line) {
      // Control bytes and the bytes code page 1252 leaves undefined.
      const bool undefined =
          b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
      EXPECT_FALSE(undefined) << at << "byte " << static_cast<int>(b);
    }
    if (line.empty()) continue;
    if (line.front() == '[') {
      ASSERT_EQ(line.back(), ']') << at << line;
      section = line.substr(1, line.size() - 2);
      EXPECT_TRUE(known.count(section)) << at << "unknown section " << section;
      EXPECT_TRUE(seen.emplace(section, std::set<std::string>{}).second)
          << at << "repeated section " << section;
      continue;
    }
    const size_t eq = line.find('=');
    ASSERT_NE(eq, std::string::npos) << at << line;
    const std::string key = line.substr(0, eq), value = Trim(line.substr(eq + 1));
    EXPECT_TRUE(seen[section].insert(key).second) << at << "repeated key " << key;
    EXPECT_FALSE(value.empty()) << at << key;
    EXPECT_LT(value.size(), 1000u) << at << key;
    EXPECT_EQ(value.find("//"), std::string::npos) << at << "comment marker in " << key;
    const bool componentKey = key.size() == 5 && key[1] == '_';
    if (componentKey) {
      EXPECT_NE(std::string_view("12345789ABCDEFG").find(key[0]), std::string_view::npos) << at << key;
      EXPECT_EQ(key.find_first_not_of("0123456789ABCDEF", 2), std::string::npos) << at << key;
    }
    const auto sectionIt = known.find(section);
    if (sectionIt == known.end()) continue;
    const auto keyIt = sectionIt->second.find(key);
    if (keyIt == sectionIt->second.end()) {
      ADD_FAILURE() << at << "[" << section << "] " << key << " is read by no one";
      continue;
    }
    EXPECT_FALSE(keyIt->second.runTime) << at << key << " belongs to a control whose text is set at run time";
    if (keyIt->second.list.empty()) {
      EXPECT_EQ(value.find(kSep), std::string::npos) << at << key << " is a caption, not a list";
    } else {
      EXPECT_EQ(value, keyIt->second.list) << at << key;
      const size_t pieces = SplitListValue(value).size();
      EXPECT_EQ(CountOccurrences(kSep, value), pieces + 1) << at << key << ": empty or trailing piece";
    }
  }
  for (const auto& [name, keys] : known)
    for (const auto& [key, expected] : keys)
      if (!expected.runTime) {
        EXPECT_TRUE(seen[name].count(key)) << "[" << name << "] " << key << " is missing";
      }
}

}  // namespace
}  // namespace vp
