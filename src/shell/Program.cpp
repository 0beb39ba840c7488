#include "shell/Program.h"

#include <windows.h>

#include "files/FileTools.h"
#include "widgets/Text.h"

namespace vp::shell {

std::string LocaleLanguageName() {
  wchar_t name[128] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, name, 127) <= 0) return {};
  return widgets::Narrow(name);
}

void CreateProgramFolders(const TProgramFolders& folders) {
  for (const std::string& folder : {folders.BackupsFolder, folders.LanguagesFolder, folders.DataFolder})
    if (!FolderExistsChecked(folder)) ForceFolders(folder);
}

namespace {

TProgramFolders FoldersMade(std::string_view programFolder) {
  TProgramFolders folders = MakeProgramFolders(programFolder);
  CreateProgramFolders(folders);
  return folders;
}

}  // namespace

TProgram::TProgram(std::string_view programFolder, bool quitOnClose)
    : folders_(FoldersMade(programFolder)), settings_(folders_.DataFolder), quitOnClose_(quitOnClose) {
  // Errors of the translator are shown as plain boxes.
  translator_.SetErrorHandler([](const std::string& message) {
    MessageBoxW(nullptr, widgets::Wide(message).c_str(), L"Veltaro Pro", MB_OK);
  });
  languageFile_ = ChooseLanguageFile(
      folders_.DataFolder, folders_.LanguagesFolder, LocaleLanguageName(), [](const std::string& message) {
        MessageBoxW(nullptr, widgets::Wide(message).c_str(), L"Veltaro Pro", MB_OK);
      });
}

TProgram::~TProgram() {
  form_.reset();
}

bool TProgram::CreateWindows(TMainFormContext extra) {
  TMainFormContext context = std::move(extra);
  context.folders = folders_;
  context.settings = &settings_;
  context.translator = &translator_;
  context.texts = &texts_;
  context.dispatcher = &dispatcher_;
  context.languageFile = languageFile_;
  context.quitOnClose = quitOnClose_;
  form_ = std::make_unique<TMainForm>(std::move(context));
  return form_->Create();
}

int TProgram::Run(int showCommand) {
  form_->Show(showCommand);
  MSG message;
  int code = 0;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      code = static_cast<int>(message.wParam);
      break;
    }
    if (got < 0) break;
    if (form_->Handle() != nullptr && form_->PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return code;
}

}  // namespace vp::shell
