// The language of the main window: applied once the window stands, and
// switched at run time from the Language menu, every caption at once.

#include "files/FileTools.h"
#include "settings/SettingsManager.h"
#include "shell/FormTranslation.h"
#include "shell/MainForm.h"
#include "widgets/Menu.h"
#include "widgets/Text.h"

namespace vp::shell {

namespace {

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<TranslatableWindow*> TMainForm::TranslatedWindows() {
  std::vector<TranslatableWindow*> windows = {translation_.get()};
  if (backups_ && backups_->Translation() != nullptr) windows.push_back(backups_->Translation());
  return windows;
}

void TMainForm::ApplyLanguage() {
  TTranslator& translator = *context_.translator;
  if (!translator.Bound())
    BindAndTranslateAtStart(translator, *context_.texts, context_.languageFile, TranslatedWindows());
  else
    translator.TranslateAll(TranslatedWindows(), true);
  // Captions at run time: the columns and the status line; the manager
  // lists are read again with the language's texts.
  SetManagerTexts();
  if (managers_) managers_->RequestAllFills();
  SetupColumns(true);
  Layout();
  RefreshStatus();
  RefreshButtons();
  DrawMenuBar(Handle());
}

bool TMainForm::ChooseLanguage(const std::string& file) {
  TTranslator& translator = *context_.translator;
  if (!translator.LoadFile(file)) return false;
  context_.settings->WriteString("Settings", "Language", "File", FileName(file));
  context_.languageFile = file;
  ApplyLanguage();
  return true;
}

void TMainForm::RebuildLanguageMenu() {
  while (GetMenuItemCount(languageMenu_) > 0) DeleteMenu(languageMenu_, 0, MF_BYPOSITION);
  languageFiles_.clear();
  TFileTools files;
  const auto entries =
      LanguageMenuEntries(files, context_.folders.LanguagesFolder, context_.translator->GetFileName());
  for (const LanguageMenuEntry& entry : entries) {
    const int id = kLanguageBase + static_cast<int>(languageFiles_.size());
    AppendMenuW(languageMenu_, MF_STRING | (entry.checked ? MF_CHECKED : 0), static_cast<UINT_PTR>(id),
                widgets::Wide(entry.caption).c_str());
    languageFiles_.push_back(entry.file);
  }
}

}  // namespace vp::shell
