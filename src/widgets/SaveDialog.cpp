#include "widgets/SaveDialog.h"

#include <commdlg.h>

#include <algorithm>

#include "widgets/Text.h"

namespace vp::widgets {

std::string AskTextFileName(HWND owner, const std::string& typeCaption, const std::string& folder) {
  // The filter is a list of NUL-separated pairs ending in an empty one.
  std::wstring filter = Wide(typeCaption + "|*.txt|");
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  const std::wstring initialFolder = Wide(folder);
  wchar_t name[MAX_PATH] = {};
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = name;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = initialFolder.c_str();
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return GetSaveFileNameW(&dialog) ? Narrow(name) : std::string();
}

}  // namespace vp::widgets
