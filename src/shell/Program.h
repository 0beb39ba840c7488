#pragma once

// The window program's process-wide objects, made in start-up order: the
// folders beside the program, the settings, the translator with the
// language chosen at start, the dispatcher, and the main window.

#include <memory>
#include <string>
#include <string_view>

#include "settings/ProgramFolders.h"
#include "settings/SettingsManager.h"
#include "settings/Translator.h"
#include "shell/MainForm.h"
#include "widgets/WindowDispatcher.h"

namespace vp::shell {

class TProgram {
 public:
  // programFolder: the folder of the program file, with its backslash.
  // The platform services must be installed.
  explicit TProgram(std::string_view programFolder, bool quitOnClose = true);
  ~TProgram();
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  // Creates the main window, hidden; false when it could not.
  bool CreateWindows(TMainFormContext extra = {});
  // Runs the message loop until the main window is gone; the exit code.
  int Run(int showCommand);

  TMainForm* Form() { return form_.get(); }
  widgets::TWindowDispatcher& Dispatcher() { return dispatcher_; }
  TSettingsManager& Settings() { return settings_; }
  MessageTexts& Texts() { return texts_; }
  const TProgramFolders& Folders() const { return folders_; }
  const std::string& LanguageFile() const { return languageFile_; }

 private:
  TProgramFolders folders_;
  TSettingsManager settings_;
  TTranslator translator_;
  MessageTexts texts_;
  std::string languageFile_;
  widgets::TWindowDispatcher dispatcher_;
  bool quitOnClose_;
  std::unique_ptr<TMainForm> form_;  // last: the window goes first
};

// The user's default locale's language, as the system names it in English
// ("German"), for the language file chosen at start.
std::string LocaleLanguageName();

// Creates "Backups\", "Languages\" and "Data\" beside the program when
// missing; a folder that cannot be made is not reported.
void CreateProgramFolders(const TProgramFolders& folders);

}  // namespace vp::shell
