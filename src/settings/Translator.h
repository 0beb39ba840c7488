#pragma once

// Language files: translating windows by walking their components, and the
// table of message texts bound to language entries ("Misc.1", "Cleaner.10").
//
// A language file is INI text read through TFileTools::ReadIniText (trimmed,
// "//" comments cut, "<br>" made CR LF). An empty value never replaces a text.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"
#include "settings/IniTools.h"

namespace vp {

// The final class of a component, as far as translation cares.
enum class ComponentClass {
  Other,
  Button,
  Label,
  CheckBox,
  RadioButton,
  GroupBox,
  FlatButton,
  FlatRadioButton,
  FlatCheckBox,
  FlatGroupBox,
  StatusBar,
  TabControl,
  ListView,
  ComboBox,
  PageControl,
  CheckListBox,
  MenuItem,
  PopupMenu,
};

// One component of a window, as the window code presents it to the translator.
class TranslatableComponent {
 public:
  virtual ~TranslatableComponent() = default;
  virtual std::string Name() const = 0;
  virtual ComponentClass Class() const = 0;

  // Caption controls (buttons, labels, boxes, menu items) and the status
  // bar's simple text.
  virtual std::string Text() const { return {}; }
  virtual void SetText(const std::string& text) {}

  // List controls: tab captions, list view column captions, combo box and
  // check list box items, page captions. SetItems replaces the whole list
  // (a list view's new columns have automatic sizing off); a page control is
  // given exactly as many captions as it has pages.
  virtual StringList Items() const { return {}; }
  virtual void SetItems(const StringList& items) {}

  // Menu items and popup menus: the direct sub-items (menu items) in order.
  virtual std::vector<TranslatableComponent*> SubItems() const { return {}; }
  virtual bool IsSeparator() const { return false; }
  virtual bool Visible() const { return true; }
  // A menu item that belongs to a popup menu rather than the main menu.
  virtual bool InPopupMenu() const { return false; }
};

class TranslatableWindow {
 public:
  virtual ~TranslatableWindow() = default;
  virtual std::string Name() const = 0;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Every component the window owns, menu items included, in creation order.
  virtual std::vector<TranslatableComponent*> Components() const = 0;
};

// The separator of list values: "||", byte 255, "||".
extern const std::string_view kListValueSeparator;

// The three-character code of a component name (upper-case hexadecimal).
std::string ComponentNameCode(std::string_view name);
// Type code + "_" + name code; empty for a class without a key.
std::string ComponentKey(ComponentClass componentClass, std::string_view name);
// The items as a list value: a separator before, between and after them.
std::string JoinListValue(const StringList& items);
// The pieces of a list value: the text before each separator (at most 100),
// trimmed, empty ones dropped; text after the last separator is not a piece.
StringList SplitListValue(std::string_view value);

class TTranslator {
 public:
  static constexpr size_t kMaxBindings = 400;

  TTranslator();

  // Shows the translator's internal errors; none is shown while unset.
  void SetErrorHandler(std::function<void(const std::string&)> show) { showError_ = std::move(show); }

  const std::string& GetFileName() const { return fileName_; }

  // When the file exists: uses it from now on and forgets which windows were
  // translated. Otherwise nothing changes. True when the file was taken.
  bool LoadFile(std::string_view path);

  // Binds a text variable (which must outlive the translator) to an entry id.
  // An id bound before is kept as it is; beyond 400 bindings the
  // "Internal error 02" message is shown.
  void Bind(std::string* variable, std::string_view id);
  size_t BindingCount() const { return bindings_.size(); }

  // Translates one window; without force a window translated since the last
  // LoadFile is skipped.
  void Translate(TranslatableWindow& window, bool force);
  // Translates every window, then sets every bound text from the file.
  void TranslateAll(const std::vector<TranslatableWindow*>& windows, bool force);

  // The text of an entry id (section + "." + key, split at the last "."); a
  // malformed id shows the "Internal error 01" message and gives "".
  std::string Lookup(std::string_view id);

  bool Bound() const { return bound_; }
  void SetBound() { bound_ = true; }

 private:
  std::string Read(std::string_view section, std::string_view key);
  void TranslateComponent(TranslatableComponent& component, const std::string& section);
  std::string MenuSection(const std::string& section, const std::string& name);
  void ShowError(const std::string& message);

  std::string fileName_;
  StringList translatedWindows_;
  TFileTools files_;
  std::vector<std::pair<std::string*, std::string>> bindings_;
  bool bound_ = false;
  std::function<void(const std::string&)> showError_;
};

// The Language menu's caption for a language file: "Header"/"Language", then
// " - " and "Header"/"Language2" unless the language is English; trimmed.
std::string LanguageMenuCaption(TFileTools& files, std::string_view path);
// The file a Language menu caption chooses: its first "&" removed, cut before
// the first blank, in the languages folder (with its trailing backslash), ".lng".
std::string LanguageFileForCaption(std::string_view languagesFolder, std::string_view caption);

struct LanguageMenuEntry {
  std::string caption;   // LanguageMenuCaption
  std::string file;      // the full path
  bool checked = false;  // the file in use
};

// The Language menu: every "*.lng" file of the languages folder (with its
// trailing backslash), at most 101, in the folder's order.
std::vector<LanguageMenuEntry> LanguageMenuEntries(TFileTools& files, std::string_view languagesFolder,
                                                   std::string_view fileInUse);

// The language file to load at start: the one "Settings.dat" names (section
// "Language", key "File") when it exists in the languages folder; else the
// locale's language name + ".lng" when that exists; else "English.lng", and
// when even that is missing the error "Error, can't find English.lng!" is shown.
// The folders end with a backslash; localeLanguageName is the system's name
// for the user's default locale's language.
std::string ChooseLanguageFile(std::string_view dataFolder, std::string_view languagesFolder,
                               std::string_view localeLanguageName,
                               const std::function<void(const std::string&)>& showError);

class MessageTexts;

// The start-up pass: loads the file, binds every message text, translates the
// windows and fills the texts, and marks the translator bound.
void BindAndTranslateAtStart(TTranslator& translator, MessageTexts& texts, std::string_view languageFile,
                             const std::vector<TranslatableWindow*>& windows);

// The process-wide message texts, one per bound entry id, empty until a
// language file has been applied.
class MessageTexts {
 public:
  MessageTexts();
  // The text of an id (a reference that stays valid); "" for an unknown id.
  const std::string& Text(std::string_view id) const;
  // Binds every text in the order the program binds them at start.
  void BindAll(TTranslator& translator);

 private:
  std::map<std::string, std::string, std::less<>> texts_;
};

// The bound entry ids in binding order.
const StringList& BoundMessageIds();

// The placeholders ("{1}".."{8}", as digits 1..8) each bound text takes when
// the program fills it; ids not listed take none.
const std::map<std::string, std::vector<int>, std::less<>>& MessagePlaceholders();

}  // namespace vp
