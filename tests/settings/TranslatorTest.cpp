#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "settings/Translator.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

const std::string kSep(kListValueSeparator);

// A component whose texts are plain fields; SetItems calls are counted.
class FakeComponent : public TranslatableComponent {
 public:
  FakeComponent(std::string name, ComponentClass cls, std::string text = {}, StringList items = {})
      : text(std::move(text)), items(std::move(items)), name_(std::move(name)), class_(cls) {}
  std::string Name() const override { return name_; }
  ComponentClass Class() const override { return class_; }
  std::string Text() const override { return text; }
  void SetText(const std::string& t) override { text = t; }
  StringList Items() const override { return items; }
  void SetItems(const StringList& i) override {
    items = i;
    ++setItemsCalls;
  }
  std::vector<TranslatableComponent*> SubItems() const override { return subItems; }
  bool IsSeparator() const override { return separator; }
  bool Visible() const override { return visible; }
  bool InPopupMenu() const override { return inPopup; }

  std::string text;
  StringList items;
  int setItemsCalls = 0;
  std::vector<TranslatableComponent*> subItems;
  bool separator = false, visible = true, inPopup = false;

 private:
  std::string name_;
  ComponentClass class_;
};

class FakeWindow : public TranslatableWindow {
 public:
  explicit FakeWindow(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  std::vector<TranslatableComponent*> Components() const override {
    std::vector<TranslatableComponent*> list;
    for (const auto& c : owned) list.push_back(c.get());
    return list;
  }
  FakeComponent& Add(std::string name, ComponentClass cls, std::string text = {}, StringList items = {}) {
    owned.push_back(std::make_unique<FakeComponent>(std::move(name), cls, std::move(text), std::move(items)));
    return *owned.back();
  }

  std::string caption = "designed";
  std::vector<std::unique_ptr<FakeComponent>> owned;

 private:
  std::string name_;
};

TEST(TranslatorTest, ComponentKeys) {
  struct Case {
    ComponentClass cls;
    std::string name, key;
  };
  const Case cases[] = {
      {ComponentClass::Label, "A", "2_041"},
      {ComponentClass::Button, "", "1_000"},
      {ComponentClass::FlatButton, "StartBtn", "7_354"},
      {ComponentClass::ListView, "ListView1", "C_39A"},
      {ComponentClass::FlatGroupBox, std::string(40, 'x'), "D_13B"},  // h = 0x13B8: the top three digits
      {ComponentClass::CheckListBox, std::string(30, '\xFF'), "G_1E6"},
      {ComponentClass::StatusBar, "A", "A_041"},
      {ComponentClass::Other, "A", ""},
      {ComponentClass::MenuItem, "A", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ComponentKey(c.cls, c.name), c.key) << c.name;
}

TEST(TranslatorTest, ListValues) {
  EXPECT_EQ(JoinListValue({"a", "b"}), kSep + "a" + kSep + "b" + kSep);
  EXPECT_EQ(JoinListValue({}), kSep);
  struct Case {
    std::string value;
    StringList pieces;
  };
  const Case cases[] = {
      {"no separator", {}},
      {kSep + " a " + kSep + kSep + "b" + kSep, {"a", "b"}},
      {"a" + kSep + "tail", {"a"}},
      {"||x||" + kSep, {"||x||"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitListValue(c.value), c.pieces) << c.value;
  std::string many;
  for (int i = 0; i < 150; ++i) many += "p" + std::to_string(i) + kSep;
  const StringList pieces = SplitListValue(many);
  ASSERT_EQ(pieces.size(), 100u);
  EXPECT_EQ(pieces.back(), "p99");
}

class TranslatorFileTest : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const std::string& text) {
    scratch_.PutFile(name, text);
    return scratch_.Path(name);
  }
  test::ScratchFolder scratch_;
};

TEST_F(TranslatorFileTest, TranslatesAWindow) {
  const std::string longText(1000, 'x');
  const std::string file = Put("Test.lng",
                               "[mainform]\r\n0=Main <BR>window // comment\r\n2_041=Label text\r\n"
                               "C_39A=" +
                                   kSep + "Key" + kSep + "Entry" + kSep +
                                   "\r\n"
                                   "B_3C0=no separator here\r\n"
                                   "F_000=" +
                                   kSep + "First" + kSep + "Second" + kSep + "Third" + kSep +
                                   "\r\n"
                                   "1_306=" +
                                   longText +
                                   "\r\n3_041=\r\n"
                                   "[mainform.FileMenu]\r\n0=&File\r\n1=&Save\r\n2=E&xit\r\n"
                                   "[.EditMenu]\r\n0=&Edit\r\n"
                                   "[mainform.Popup]\r\n0=&Fix\r\n1=&Remove\r\n");
  FakeWindow window(" MainForm ");
  FakeComponent& label = window.Add("A", ComponentClass::Label, "designed");
  FakeComponent& list = window.Add("ListView1", ComponentClass::ListView, {}, {"old"});
  FakeComponent& tabs = window.Add("TabControl1", ComponentClass::TabControl, {}, {"t1", "t2"});
  FakeComponent& pages = window.Add("", ComponentClass::PageControl, {}, {"p1", "p2"});
  FakeComponent& okButton = window.Add("OKButton", ComponentClass::Button, "OK");
  FakeComponent& check = window.Add("A", ComponentClass::CheckBox, "kept");
  FakeComponent& other = window.Add("A", ComponentClass::Other, "untouched");
  FakeComponent& fileMenu = window.Add("FileMenu", ComponentClass::MenuItem, "designed");
  FakeComponent& save = window.Add("SaveItem", ComponentClass::MenuItem, "save");
  FakeComponent& line = window.Add("", ComponentClass::MenuItem, "-");
  FakeComponent& hidden = window.Add("HiddenItem", ComponentClass::MenuItem, "hidden");
  FakeComponent& exitItem = window.Add("ExitItem", ComponentClass::MenuItem, "exit");
  line.separator = true;
  hidden.visible = false;
  fileMenu.subItems = {&save, &line, &hidden, &exitItem};
  FakeComponent& editMenu = window.Add("EditMenu", ComponentClass::MenuItem, "designed");
  FakeComponent& popup = window.Add("Popup", ComponentClass::PopupMenu);
  FakeComponent& fix = window.Add("FixItem", ComponentClass::MenuItem, "fix");
  FakeComponent& remove = window.Add("RemoveItem", ComponentClass::MenuItem, "remove");
  fix.inPopup = remove.inPopup = true;
  popup.subItems = {&fix, &line, &remove};

  TTranslator translator;
  ASSERT_TRUE(translator.LoadFile(file));
  translator.Translate(window, false);

  EXPECT_EQ(window.caption, "Main \r\nwindow");
  EXPECT_EQ(label.text, "Label text");
  EXPECT_EQ(list.items, (StringList{"Key", "Entry"}));
  EXPECT_EQ(tabs.items, StringList{});                      // cleared, nothing added
  EXPECT_EQ(pages.items, (StringList{"First", "Second"}));  // pages stay, captions overwritten
  EXPECT_EQ(okButton.text, "OK");                           // 1000 characters are too many
  EXPECT_EQ(check.text, "kept");                            // empty value
  EXPECT_EQ(other.text, "untouched");
  EXPECT_EQ(fileMenu.text, "&File");
  EXPECT_EQ(save.text, "&Save");
  EXPECT_EQ(hidden.text, "hidden");  // invisible items take no key
  EXPECT_EQ(exitItem.text, "E&xit");
  EXPECT_EQ(editMenu.text, "&Edit");  // from the form-less section
  EXPECT_EQ(fix.text, "&Fix");
  EXPECT_EQ(remove.text, "&Remove");

  // A list already holding the value is left alone; without force the window
  // is skipped altogether.
  list.setItemsCalls = 0;
  label.text = "changed";
  translator.Translate(window, false);
  EXPECT_EQ(label.text, "changed");
  translator.Translate(window, true);
  EXPECT_EQ(label.text, "Label text");
  EXPECT_EQ(list.setItemsCalls, 0);
}

TEST_F(TranslatorFileTest, PopupSubMenuTakesKeysFromZero) {
  const std::string file = Put("Test.lng", "[.SortMenu]\r\n0=By name\r\n1=\r\n2=By date\r\n");
  FakeWindow window("form");
  FakeComponent& sortMenu = window.Add("SortMenu", ComponentClass::MenuItem, "Sort");
  FakeComponent& byName = window.Add("ByName", ComponentClass::MenuItem, "name");
  FakeComponent& bySize = window.Add("BySize", ComponentClass::MenuItem, "size");
  FakeComponent& byDate = window.Add("ByDate", ComponentClass::MenuItem, "date");
  sortMenu.inPopup = byName.inPopup = bySize.inPopup = byDate.inPopup = true;
  sortMenu.subItems = {&byName, &bySize, &byDate};
  TTranslator translator;
  ASSERT_TRUE(translator.LoadFile(file));
  translator.Translate(window, false);
  EXPECT_EQ(sortMenu.text, "Sort");
  EXPECT_EQ(byName.text, "By name");
  EXPECT_EQ(bySize.text, "size");
  EXPECT_EQ(byDate.text, "By date");
}

TEST_F(TranslatorFileTest, BindingsAndLookup) {
  const std::string first = Put("One.lng", "[Misc]\r\n1=One\r\n[A.B]\r\nc=dotted\r\n");
  const std::string second = Put("Two.lng", "[Misc]\r\n1=Two\r\n");
  StringList errors;
  TTranslator translator;
  translator.SetErrorHandler([&errors](const std::string& message) { errors.push_back(message); });
  ASSERT_TRUE(translator.LoadFile(first));
  EXPECT_FALSE(translator.LoadFile(scratch_.Path("Missing.lng")));
  EXPECT_EQ(translator.GetFileName(), first);

  std::string text, again, dotted;
  translator.Bind(&text, "Misc.1");
  translator.Bind(&again, "Misc.1");
  translator.Bind(&dotted, "A.B.c");
  EXPECT_EQ(translator.BindingCount(), 2u);
  translator.TranslateAll({}, false);
  EXPECT_EQ(text, "One");
  EXPECT_EQ(again, "");
  EXPECT_EQ(dotted, "dotted");
  ASSERT_TRUE(translator.LoadFile(second));
  EXPECT_EQ(translator.Lookup("misc.1"), "Two");

  for (const char* bad : {"Misc", ".1", "Misc."}) EXPECT_EQ(translator.Lookup(bad), "") << bad;
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0], "Translator : Internal error 01 - Language file (\"" + second + "\") is corrupted");

  std::vector<std::string> sink(TTranslator::kMaxBindings);
  for (size_t i = 0; i < sink.size(); ++i) translator.Bind(&sink[i], "X." + std::to_string(i));
  EXPECT_EQ(translator.BindingCount(), TTranslator::kMaxBindings);
  EXPECT_EQ(errors.back(), "Translator : Internal error 02 - Data overflow!");
}

TEST_F(TranslatorFileTest, LanguageMenu) {
  const std::string deutsch = Put("Deutsch.lng", "[Header]\r\nLanguage=Deutsch\r\nLanguage2=German\r\n");
  const std::string english = Put("English.lng", "[Header]\r\nLanguage=english \r\nLanguage2=Ignored\r\n");
  TFileTools files;
  EXPECT_EQ(LanguageMenuCaption(files, deutsch), "Deutsch - German");
  EXPECT_EQ(LanguageMenuCaption(files, english), "english");
  EXPECT_EQ(LanguageFileForCaption(scratch_.Root(), "&Deutsch - German"), deutsch);
  EXPECT_EQ(LanguageFileForCaption(scratch_.Root(), "Deutsche Sprache - German"),
            scratch_.Path("Deutsche.lng"));
}

TEST_F(TranslatorFileTest, LanguageMenuEntries) {
  const std::string deutsch =
      Put("Languages\\Deutsch.lng", "[Header]\r\nLanguage=Deutsch\r\nLanguage2=German\r\n");
  Put("Languages\\English.lng", "[Header]\r\nLanguage=English\r\n");
  Put("Languages\\Notes.txt", "[Header]\r\nLanguage=None\r\n");
  scratch_.PutFolder("Languages\\Folder.lng");
  TFileTools files;
  std::string fileInUse = deutsch;
  for (char& c : fileInUse) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto entries = LanguageMenuEntries(files, scratch_.Path("Languages\\"), fileInUse);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.caption < b.caption; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].caption, "Deutsch - German");
  EXPECT_EQ(entries[0].file, deutsch);
  EXPECT_TRUE(entries[0].checked);
  EXPECT_EQ(entries[1].caption, "English");
  EXPECT_FALSE(entries[1].checked);
}

TEST(ChooseLanguageFileTest, SettingsThenLocaleThenEnglish) {
  struct Case {
    const char* what;
    const char* settingsFile;  // null: no Settings.dat
    StringList languageFiles;
    std::string locale, chosen;
    bool error;
  };
  const Case cases[] = {
      {"named in the settings",
       "Deutsch.lng",
       {"Deutsch.lng", "Francais.lng", "English.lng"},
       "Francais",
       "Deutsch.lng",
       false},
      {"named file missing: locale",
       "Missing.lng",
       {"Francais.lng", "English.lng"},
       "Francais",
       "Francais.lng",
       false},
      {"empty name: locale", "", {"Francais.lng", "English.lng"}, "Francais", "Francais.lng", false},
      {"no settings, no locale file", nullptr, {"English.lng"}, "Francais", "English.lng", false},
      {"no locale name", nullptr, {"English.lng", ".lng"}, "", "English.lng", false},
      {"nothing at all", nullptr, {}, "Francais", "English.lng", true},
  };
  for (const auto& c : cases) {
    test::ScratchFolder scratch;
    if (c.settingsFile != nullptr)
      scratch.PutFile("Data\\Settings.dat", std::string("[Language]\r\nFile=") + c.settingsFile + "\r\n");
    else
      scratch.PutFolder("Data");
    scratch.PutFolder("Languages");
    for (const std::string& name : c.languageFiles) scratch.PutFile("Languages\\" + name, "[Header]\r\n");
    StringList errors;
    const std::string chosen =
        ChooseLanguageFile(scratch.Path("Data\\"), scratch.Path("Languages\\"), c.locale,
                           [&errors](const std::string& message) { errors.push_back(message); });
    EXPECT_EQ(chosen, scratch.Path("Languages\\" + c.chosen)) << c.what;
    EXPECT_EQ(errors, c.error ? StringList{"Error, can't find English.lng!"} : StringList{}) << c.what;
  }
}

TEST_F(TranslatorFileTest, StartUpPassFillsTextsAndWindows) {
  const std::string file = Put("English.lng",
                               "[Misc]\r\n1=N/A\r\n[Reports]\r\n2=Took {1} s, {2} rows\r\n"
                               "[mainform]\r\n0=Veltaro Pro\r\n");
  TTranslator translator;
  MessageTexts texts;
  FakeWindow window("MainForm");
  BindAndTranslateAtStart(translator, texts, file, {&window});
  EXPECT_TRUE(translator.Bound());
  EXPECT_EQ(translator.BindingCount(), BoundMessageIds().size());
  EXPECT_EQ(texts.Text("Misc.1"), "N/A");
  EXPECT_EQ(texts.Text("Misc.2"), "");
  EXPECT_EQ(texts.Text("No.such"), "");
  EXPECT_EQ(FormatPlaceholders(texts.Text("Reports.2"), "3", "12"), "Took 3 s, 12 rows");
  EXPECT_EQ(window.caption, "Veltaro Pro");
}

// The shipped English.lng has a non-empty text for every bound id, with
// exactly the placeholders the program fills in.
TEST(EnglishLanguageFileTest, EveryBoundTextPresentWithItsPlaceholders) {
  std::unique_ptr<platform::sim::SimMachine> machine;
  platform::Services previous = platform::Current();
  std::string path = test::DataPath("../../data/Languages/English.lng");
  if (!test::kOnRealWindows) {
    machine = std::make_unique<platform::sim::SimMachine>();
    machine->Files().MapDrive('D', std::string(VP_TEST_DATA_DIR) + "/../../data", platform::DriveType::Fixed);
    platform::Services services = machine->Services();
    if (services.registry == nullptr) services.registry = previous.registry;
    platform::Install(services);
    path = "D:\\Languages\\English.lng";
  }
  TTranslator translator;
  MessageTexts texts;
  const bool loaded = translator.LoadFile(path);
  texts.BindAll(translator);
  translator.TranslateAll({}, false);
  TFileTools files;
  const std::string caption = LanguageMenuCaption(files, path);
  if (machine) platform::Install(previous);

  ASSERT_TRUE(loaded) << path;
  EXPECT_EQ(caption, "English");
  EXPECT_EQ(BoundMessageIds().size(), 22u + 9u + 3u + 2u + 2u + 5u + 11u);
  for (const std::string& id : BoundMessageIds()) {
    const std::string& text = texts.Text(id);
    EXPECT_FALSE(text.empty()) << id;
    const auto wanted = MessagePlaceholders().find(id);
    std::set<int> expected;
    if (wanted != MessagePlaceholders().end()) expected.insert(wanted->second.begin(), wanted->second.end());
    for (int k = 1; k <= 8; ++k) {
      const std::string placeholder = "{" + std::to_string(k) + "}";
      const int count = CountOccurrences(placeholder, text);
      EXPECT_EQ(count, expected.count(k) ? 1 : 0) << id << " " << placeholder << ": " << text;
    }
  }
  // Filled the way the program fills them, the texts come out whole.
  EXPECT_NE(FormatPlaceholders(texts.Text("Reports.2"), "12", "345"), "");
  EXPECT_NE(FormatPlaceholders(texts.Text("Misc.9"), "1", "2", "3"), "");
}

}  // namespace
}  // namespace vp
