#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "settings/FakeTranslatable.h"
#include "settings/Translator.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

const std::string kSep(kListValueSeparator);

using test::FakeComponent;
using test::FakeWindow;

TEST(TranslatorTest, ComponentKeysAndListValues) {
  EXPECT_EQ(ComponentKey(ComponentClass::Label, "A"), "2_041");
  EXPECT_EQ(ComponentKey(ComponentClass::ListView, "ListView1"), "C_39A");
  EXPECT_EQ(ComponentKey(ComponentClass::FlatGroupBox, std::string(40, 'x')),
            "D_13B");  // top digits of 0x13B8
  EXPECT_EQ(ComponentKey(ComponentClass::CheckListBox, std::string(30, '\xFF')), "G_1E6");
  EXPECT_EQ(ComponentKey(ComponentClass::Other, "A"), "");

  EXPECT_EQ(JoinListValue({"a", "b"}), kSep + "a" + kSep + "b" + kSep);
  EXPECT_EQ(SplitListValue("no separator"), StringList{});
  EXPECT_EQ(SplitListValue(kSep + " a " + kSep + kSep + "b" + kSep + "tail"), (StringList{"a", "b"}));
  std::string many;
  for (int i = 0; i < 150; ++i) many += "p" + std::to_string(i) + kSep;
  EXPECT_EQ(SplitListValue(many).size(), 100u);
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
  const std::string file =
      Put("Test.lng",
          "[mainform]\r\n0=Main <BR>window // comment\r\n2_041=Label text\r\nC_39A=" + kSep + "Key" + kSep +
              "Entry" + kSep + "\r\nB_3C0=no separator here\r\nF_000=" + kSep + "First" + kSep + "Second" +
              kSep + "Third" + kSep + "\r\n1_306=" + std::string(1000, 'x') + "\r\n3_041=\r\n" +
              "[mainform.FileMenu]\r\n0=&File\r\n1=&Save\r\n2=E&xit\r\n[.EditMenu]\r\n0=&Edit\r\n"
              "[mainform.Popup]\r\n0=&Fix\r\n1=&Remove\r\n[.SortMenu]\r\n0=By name\r\n1=\r\n2=By date\r\n");
  FakeWindow window(" MainForm ");
  FakeComponent& label = window.Add("A", ComponentClass::Label, "designed");
  FakeComponent& list = window.Add("ListView1", ComponentClass::ListView, {}, {"old"});
  FakeComponent& tabs = window.Add("TabControl1", ComponentClass::TabControl, {}, {"t1", "t2"});
  FakeComponent& pages = window.Add("", ComponentClass::PageControl, {}, {"p1", "p2"});
  FakeComponent& tooLong = window.Add("OKButton", ComponentClass::Button, "OK");
  FakeComponent& emptyValue = window.Add("A", ComponentClass::CheckBox, "kept");
  FakeComponent& fileMenu = window.Add("FileMenu", ComponentClass::MenuItem, "designed");
  FakeComponent& save = window.Add("SaveItem", ComponentClass::MenuItem, "save");
  FakeComponent& line = window.Add("", ComponentClass::MenuItem, "-");
  FakeComponent& hidden = window.Add("HiddenItem", ComponentClass::MenuItem, "hidden");
  FakeComponent& exitItem = window.Add("ExitItem", ComponentClass::MenuItem, "exit");
  FakeComponent& editMenu = window.Add("EditMenu", ComponentClass::MenuItem, "designed");
  FakeComponent& popup = window.Add("Popup", ComponentClass::PopupMenu);
  FakeComponent& fix = window.Add("FixItem", ComponentClass::MenuItem, "fix");
  FakeComponent& remove = window.Add("RemoveItem", ComponentClass::MenuItem, "remove");
  FakeComponent& sortMenu = window.Add("SortMenu", ComponentClass::MenuItem, "Sort");
  FakeComponent& byName = window.Add("ByName", ComponentClass::MenuItem, "name");
  FakeComponent& bySize = window.Add("BySize", ComponentClass::MenuItem, "size");
  FakeComponent& byDate = window.Add("ByDate", ComponentClass::MenuItem, "date");
  line.separator = true;
  hidden.visible = false;
  fileMenu.subItems = {&save, &line, &hidden, &exitItem};
  popup.subItems = {&fix, &line, &remove, &sortMenu};
  sortMenu.subItems = {&byName, &bySize, &byDate};
  for (FakeComponent* item : {&fix, &remove, &sortMenu, &byName, &bySize, &byDate}) item->inPopup = true;

  TTranslator translator;
  ASSERT_TRUE(translator.LoadFile(file));
  translator.Translate(window, false);
  EXPECT_EQ(window.caption, "Main \r\nwindow");
  EXPECT_EQ(label.text, "Label text");
  EXPECT_EQ(list.items, (StringList{"Key", "Entry"}));
  EXPECT_EQ(tabs.items, StringList{});                      // cleared, nothing added
  EXPECT_EQ(pages.items, (StringList{"First", "Second"}));  // pages stay, captions overwritten
  EXPECT_EQ(tooLong.text, "OK");                            // 1000 characters are too many
  EXPECT_EQ(emptyValue.text, "kept");
  EXPECT_EQ(fileMenu.text + save.text + hidden.text + exitItem.text, "&File&SavehiddenE&xit");
  EXPECT_EQ(editMenu.text, "&Edit");  // from the form-less section
  EXPECT_EQ(fix.text + remove.text, "&Fix&Remove");
  // A popup's sub-menu keeps its caption; its items take keys from 0.
  EXPECT_EQ(sortMenu.text + byName.text + bySize.text + byDate.text, "SortBy namesizeBy date");

  // Without force the window is skipped; an unchanged list is left alone.
  list.setItemsCalls = 0;
  label.text = "changed";
  translator.Translate(window, false);
  EXPECT_EQ(label.text, "changed");
  translator.Translate(window, true);
  EXPECT_EQ(label.text, "Label text");
  EXPECT_EQ(list.setItemsCalls, 0);
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
  translator.TranslateAll({}, false);
  EXPECT_EQ(text + "/" + again + "/" + dotted, "One//dotted");
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
  const std::string deutsch =
      Put("Languages\\Deutsch.lng", "[Header]\r\nLanguage=Deutsch\r\nLanguage2=German\r\n");
  Put("Languages\\English.lng", "[Header]\r\nLanguage=english \r\nLanguage2=Ignored\r\n");
  Put("Languages\\Notes.txt", "[Header]\r\nLanguage=None\r\n");
  scratch_.PutFolder("Languages\\Folder.lng");
  TFileTools files;
  std::string fileInUse = deutsch;
  std::transform(fileInUse.begin(), fileInUse.end(), fileInUse.begin(), [](char c) { return FixedUpper(c); });
  auto entries = LanguageMenuEntries(files, scratch_.Path("Languages\\"), fileInUse);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.caption < b.caption; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].caption, "Deutsch - German");
  EXPECT_TRUE(entries[0].checked);
  EXPECT_EQ(entries[1].caption, "english");
  EXPECT_FALSE(entries[1].checked);
  EXPECT_EQ(LanguageFileForCaption(scratch_.Path("Languages\\"), "&Deutsch - German"), deutsch);
  EXPECT_EQ(LanguageFileForCaption("L\\", "Deutsche Sprache - German"), "L\\Deutsche.lng");
}

TEST(ChooseLanguageFileTest, SettingsThenLocaleThenEnglish) {
  struct Case {
    const char* settingsFile;  // null: no Settings.dat
    StringList languageFiles;
    std::string locale, chosen;
    bool error;
  };
  const Case cases[] = {
      {"Deutsch.lng", {"Deutsch.lng", "Francais.lng", "English.lng"}, "Francais", "Deutsch.lng", false},
      {"Missing.lng", {"Francais.lng", "English.lng"}, "Francais", "Francais.lng", false},
      {"", {"Francais.lng", "English.lng"}, "Francais", "Francais.lng", false},
      {nullptr, {"English.lng", ".lng"}, "", "English.lng", false},
      {nullptr, {}, "Francais", "English.lng", true},
  };
  for (const auto& c : cases) {
    test::ScratchFolder scratch;
    scratch.PutFolder("Data");
    if (c.settingsFile != nullptr)
      scratch.PutFile("Data\\Settings.dat", std::string("[Language]\r\nFile=") + c.settingsFile + "\r\n");
    for (const std::string& name : c.languageFiles) scratch.PutFile("Languages\\" + name, "[Header]\r\n");
    StringList errors;
    const std::string chosen =
        ChooseLanguageFile(scratch.Path("Data\\"), scratch.Path("Languages\\"), c.locale,
                           [&errors](const std::string& e) { errors.push_back(e); });
    EXPECT_EQ(chosen, scratch.Path("Languages\\" + c.chosen)) << c.chosen;
    EXPECT_EQ(errors, c.error ? StringList{"Error, can't find English.lng!"} : StringList{}) << c.chosen;
  }
}

// The shipped English.lng gives every bound id a text with exactly the
// placeholders the program fills in; the start-up pass binds them all.
TEST(EnglishLanguageFileTest, EveryBoundTextPresentWithItsPlaceholders) {
  TTranslator translator;
  MessageTexts texts;
  FakeWindow window("MainForm");
  std::string path;
  {
    test::ShippedLanguages shipped;
    path = shipped.English();
    BindAndTranslateAtStart(translator, texts, path, {&window});
  }

  ASSERT_EQ(translator.GetFileName(), path);
  EXPECT_TRUE(translator.Bound());
  EXPECT_EQ(translator.BindingCount(), 22u + 10u + 3u + 2u + 2u + 5u + 11u);
  for (const std::string& id : BoundMessageIds()) {
    const std::string& text = texts.Text(id);
    EXPECT_FALSE(text.empty()) << id;
    const auto wanted = MessagePlaceholders().find(id);
    for (int k = 1; k <= 8; ++k) {
      const bool needed = wanted != MessagePlaceholders().end() &&
                          std::count(wanted->second.begin(), wanted->second.end(), k) > 0;
      EXPECT_EQ(CountOccurrences("{" + std::to_string(k) + "}", text), needed ? 1 : 0) << id << ": " << text;
    }
  }
  EXPECT_NE(FormatPlaceholders(texts.Text("Reports.2"), "12", "345"), "");
}

}  // namespace
}  // namespace vp
