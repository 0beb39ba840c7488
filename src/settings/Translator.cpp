#include "settings/Translator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "files/FileTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace vp {

const std::string_view kListValueSeparator("||\xFF||", 5);

namespace {

constexpr size_t kMaxTextLength = 1000;
constexpr size_t kMaxListPieces = 100;

// Type codes in the order of the language file format; the component's own
// (final) class decides.
const char* TypeCode(ComponentClass componentClass) {
  switch (componentClass) {
    case ComponentClass::Button:
      return "1";
    case ComponentClass::Label:
      return "2";
    case ComponentClass::CheckBox:
      return "3";
    case ComponentClass::RadioButton:
      return "4";
    case ComponentClass::GroupBox:
      return "5";
    case ComponentClass::FlatButton:
      return "7";
    case ComponentClass::FlatRadioButton:
      return "8";
    case ComponentClass::FlatCheckBox:
      return "9";
    case ComponentClass::FlatGroupBox:
      return "D";
    case ComponentClass::StatusBar:
      return "A";
    case ComponentClass::TabControl:
      return "B";
    case ComponentClass::ListView:
      return "C";
    case ComponentClass::ComboBox:
      return "E";
    case ComponentClass::PageControl:
      return "F";
    case ComponentClass::CheckListBox:
      return "G";
    default:
      return nullptr;
  }
}

bool IsListClass(ComponentClass componentClass) {
  switch (componentClass) {
    case ComponentClass::TabControl:
    case ComponentClass::ListView:
    case ComponentClass::ComboBox:
    case ComponentClass::PageControl:
    case ComponentClass::CheckListBox:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string ComponentNameCode(std::string_view name) {
  uint32_t h = static_cast<uint32_t>(name.size());
  for (size_t i = 1; i <= name.size(); ++i)
    h = (static_cast<unsigned char>(name[i - 1]) + h) ^ static_cast<uint32_t>(i * 3);
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%03X", static_cast<unsigned>(h));
  return std::string(hex, 3);
}

std::string ComponentKey(ComponentClass componentClass, std::string_view name) {
  const char* code = TypeCode(componentClass);
  if (code == nullptr) return {};
  return std::string(code) + "_" + ComponentNameCode(name);
}

std::string JoinListValue(const StringList& items) {
  std::string value(kListValueSeparator);
  for (const std::string& item : items) {
    value += item;
    value += kListValueSeparator;
  }
  return value;
}

StringList SplitListValue(std::string_view value) {
  StringList pieces;
  for (size_t taken = 0; taken < kMaxListPieces; ++taken) {
    const size_t at = value.find(kListValueSeparator);
    if (at == std::string_view::npos) break;
    std::string piece = Trim(value.substr(0, at));
    if (!piece.empty()) pieces.push_back(std::move(piece));
    value.remove_prefix(at + kListValueSeparator.size());
  }
  return pieces;
}

// ---------------------------------------------------------------- TTranslator

TTranslator::TTranslator() = default;

void TTranslator::ShowError(const std::string& message) {
  if (showError_) showError_(message);
}

bool TTranslator::LoadFile(std::string_view path) {
  if (!FileExistsChecked(path)) return false;
  fileName_ = std::string(path);
  translatedWindows_.clear();
  // Reading any value loads the file into the reader's cache now.
  (void)files_.ReadIniText(fileName_, "Header", "Language");
  return true;
}

void TTranslator::Bind(std::string* variable, std::string_view id) {
  if (bindings_.size() >= kMaxBindings) {
    ShowError("Translator : Internal error 02 - Data overflow!");
    return;
  }
  for (const auto& binding : bindings_)
    if (binding.second == id) return;
  bindings_.emplace_back(variable, std::string(id));
}

std::string TTranslator::Read(std::string_view section, std::string_view key) {
  if (fileName_.empty()) return {};
  return files_.ReadIniText(fileName_, section, key);
}

std::string TTranslator::Lookup(std::string_view id) {
  const size_t dot = id.rfind('.');
  const std::string_view section = dot == std::string_view::npos ? std::string_view() : id.substr(0, dot);
  const std::string_view key = dot == std::string_view::npos ? std::string_view() : id.substr(dot + 1);
  if (section.empty() || key.empty()) {
    ShowError("Translator : Internal error 01 - Language file (\"" + fileName_ + "\") is corrupted");
    return {};
  }
  return Read(section, key);
}

void TTranslator::Translate(TranslatableWindow& window, bool force) {
  const std::string name = platform::Sys().LowerCase(Trim(window.Name()));
  const bool done =
      std::find(translatedWindows_.begin(), translatedWindows_.end(), name) != translatedWindows_.end();
  if (done && !force) return;
  if (!done) translatedWindows_.push_back(name);

  const std::string caption = Read(name, "0");
  if (!caption.empty()) window.SetCaption(caption);
  for (TranslatableComponent* component : window.Components())
    if (component != nullptr) TranslateComponent(*component, name);
}

void TTranslator::TranslateAll(const std::vector<TranslatableWindow*>& windows, bool force) {
  for (TranslatableWindow* window : windows)
    if (window != nullptr) Translate(*window, force);
  for (const auto& [variable, id] : bindings_) *variable = Lookup(id);
}

std::string TTranslator::MenuSection(const std::string& section, const std::string& name) {
  std::string menuSection = section + "." + name;
  if (Read(menuSection, "0").empty()) menuSection = "." + name;
  return menuSection;
}

void TTranslator::TranslateComponent(TranslatableComponent& component, const std::string& section) {
  const ComponentClass componentClass = component.Class();
  const std::string name = component.Name();

  if (componentClass == ComponentClass::MenuItem) {
    if (name.empty()) return;
    const auto subItems = component.SubItems();
    const std::string menuSection = MenuSection(section, name);
    if (component.InPopupMenu() && !subItems.empty()) {
      // A popup's sub-menu: its items take keys 0, 1, ... and the item keeps its caption.
      if (Read(menuSection, "0").empty()) return;
      int key = 0;
      for (TranslatableComponent* sub : subItems) {
        if (sub == nullptr || sub->IsSeparator()) continue;
        const std::string text = Read(menuSection, std::to_string(key++));
        if (!text.empty()) sub->SetText(text);
      }
      return;
    }
    const std::string caption = Read(menuSection, "0");
    if (!caption.empty()) component.SetText(caption);
    if (!subItems.empty() && !Read(menuSection, "1").empty()) {
      int key = 1;
      for (TranslatableComponent* sub : subItems) {
        if (sub == nullptr || sub->IsSeparator() || !sub->Visible()) continue;
        const std::string text = Read(menuSection, std::to_string(key++));
        if (!text.empty()) sub->SetText(text);
      }
    }
    return;
  }

  if (componentClass == ComponentClass::PopupMenu) {
    const auto items = component.SubItems();
    const std::string popupSection = section + "." + name;
    if (items.empty() || Read(popupSection, "1").empty()) return;
    int key = 0;
    for (TranslatableComponent* item : items) {
      if (item == nullptr || item->IsSeparator()) continue;
      const std::string text = Read(popupSection, std::to_string(key++));
      if (!text.empty()) item->SetText(text);
    }
    return;
  }

  const std::string key = ComponentKey(componentClass, name);
  if (key.empty()) return;
  const std::string value = Read(section, key);
  if (value.empty() || value.size() >= kMaxTextLength) return;
  if (!IsListClass(componentClass)) {
    if (value != component.Text()) component.SetText(value);
    return;
  }
  const StringList current = component.Items();
  if (value == JoinListValue(current)) return;
  StringList pieces = SplitListValue(value);
  if (componentClass == ComponentClass::PageControl) {
    // Pages stay; their captions are overwritten in order.
    StringList captions = current;
    for (size_t i = 0; i < captions.size() && i < pieces.size(); ++i) captions[i] = pieces[i];
    pieces = std::move(captions);
  }
  component.SetItems(pieces);
}

std::string LanguageMenuCaption(TFileTools& files, std::string_view path) {
  std::string caption = files.ReadIniText(path, "Header", "Language");
  if (!SameText(caption, "English")) caption += " - " + files.ReadIniText(path, "Header", "Language2");
  return Trim(caption);
}

std::string LanguageFileForCaption(std::string_view languagesFolder, std::string_view caption) {
  std::string base = RemoveFirstAmpersand(caption);
  base = base.substr(0, base.find(' '));
  return std::string(languagesFolder) + base + ".lng";
}

std::vector<LanguageMenuEntry> LanguageMenuEntries(TFileTools& files, std::string_view languagesFolder,
                                                   std::string_view fileInUse) {
  constexpr size_t kMaxEntries = 101;
  std::vector<LanguageMenuEntry> entries;
  auto search = platform::Files().Search(std::string(languagesFolder) + "*.lng");
  platform::DirectoryEntry found;
  while (entries.size() < kMaxEntries && search->Next(found)) {
    if (found.IsFolder()) continue;
    LanguageMenuEntry entry;
    entry.file = std::string(languagesFolder) + found.name;
    entry.caption = LanguageMenuCaption(files, entry.file);
    entry.checked = platform::Sys().CompareTextNoCase(entry.file, fileInUse) == 0;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string ChooseLanguageFile(std::string_view dataFolder, std::string_view languagesFolder,
                               std::string_view localeLanguageName,
                               const std::function<void(const std::string&)>& showError) {
  const std::string settings = std::string(dataFolder) + "Settings.dat";
  if (FileExistsChecked(settings)) {
    const std::string named = ReadIniString(settings, "Language", "File");
    if (!named.empty() && FileExistsChecked(std::string(languagesFolder) + named))
      return std::string(languagesFolder) + named;
  }
  if (!localeLanguageName.empty()) {
    const std::string localeFile = std::string(languagesFolder) + std::string(localeLanguageName) + ".lng";
    if (FileExistsChecked(localeFile)) return localeFile;
  }
  const std::string english = std::string(languagesFolder) + "English.lng";
  if (!FileExistsChecked(english) && showError) showError("Error, can't find English.lng!");
  return english;
}

void BindAndTranslateAtStart(TTranslator& translator, MessageTexts& texts, std::string_view languageFile,
                             const std::vector<TranslatableWindow*>& windows) {
  translator.LoadFile(languageFile);
  texts.BindAll(translator);
  translator.TranslateAll(windows, false);
  translator.SetBound();
}

// ---------------------------------------------------------------- message texts

const StringList& BoundMessageIds() {
  static const StringList ids = [] {
    StringList list;
    for (int i = 1; i <= 22; ++i) list.push_back("Columns." + std::to_string(i));
    for (int i : {1, 2, 3, 9, 10, 11, 12, 13, 14, 15}) list.push_back("Misc." + std::to_string(i));
    for (int i = 1; i <= 3; ++i) list.push_back("Reports." + std::to_string(i));
    for (int i = 1; i <= 2; ++i) list.push_back("Confirmations." + std::to_string(i));
    for (int i = 1; i <= 2; ++i) list.push_back("Backups." + std::to_string(i));
    for (int i = 1; i <= 5; ++i) list.push_back("Cleaner." + std::to_string(i));
    for (int i = 10; i <= 20; ++i) list.push_back("Cleaner." + std::to_string(i));
    return list;
  }();
  return ids;
}

const std::map<std::string, std::vector<int>, std::less<>>& MessagePlaceholders() {
  // Status bar counts: ticked, selected, total. Scan report: seconds, rows.
  // Fix report: repaired, removed. An ignored item's problem; the missing
  // file a reference names. The areas of a scan that stand still.
  static const std::map<std::string, std::vector<int>, std::less<>> placeholders = {
      {"Misc.9", {1, 2, 3}}, {"Misc.15", {1}},   {"Reports.2", {1, 2}},
      {"Reports.3", {1, 2}}, {"Cleaner.2", {1}}, {"Cleaner.3", {1}},
  };
  return placeholders;
}

MessageTexts::MessageTexts() {
  for (const std::string& id : BoundMessageIds()) texts_[id];
}

const std::string& MessageTexts::Text(std::string_view id) const {
  static const std::string kNone;
  const auto it = texts_.find(id);
  return it == texts_.end() ? kNone : it->second;
}

void MessageTexts::BindAll(TTranslator& translator) {
  for (const std::string& id : BoundMessageIds()) translator.Bind(&texts_.find(id)->second, id);
}

}  // namespace vp
