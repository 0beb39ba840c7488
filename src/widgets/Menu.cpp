#include "widgets/Menu.h"

#include "widgets/Text.h"

namespace vp::widgets {

void TMenu::AddItem(int id, std::string_view caption, std::string_view shortcut) {
  std::string text(caption);
  if (!shortcut.empty()) text += "\t" + std::string(shortcut);
  AppendMenuW(Handle(), MF_STRING, static_cast<UINT_PTR>(id), Wide(text).c_str());
}

void TMenu::AddSeparator() {
  AppendMenuW(Handle(), MF_SEPARATOR, 0, nullptr);
}

void TMenu::AddSubMenu(TMenu sub, std::string_view caption) {
  AppendMenuW(Handle(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.Release()),
              Wide(caption).c_str());
}

void TMenu::Clear() {
  while (GetMenuItemCount(Handle()) > 0) DeleteMenu(Handle(), 0, MF_BYPOSITION);
}

namespace {

std::wstring FullCaption(HMENU menu, int position) {
  wchar_t buffer[512] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  info.dwTypeData = buffer;
  info.cch = 511;
  GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
  return buffer;
}

}  // namespace

std::string MenuItemCaption(HMENU menu, int position) {
  const std::wstring full = FullCaption(menu, position);
  return Narrow(full.substr(0, full.find(L'\t')));
}

void SetMenuItemCaption(HMENU menu, int position, std::string_view caption) {
  const std::wstring full = FullCaption(menu, position);
  const size_t tab = full.find(L'\t');
  std::wstring text = Wide(caption) + (tab == std::wstring::npos ? std::wstring() : full.substr(tab));
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
}

void EnableMenuItemById(HMENU menu, int id, bool enabled) {
  EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CheckMenuItemById(HMENU menu, int id, bool checked) {
  CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool ParseShortcut(std::string_view shortcut, ACCEL& accel) {
  accel = ACCEL{};
  accel.fVirt = FVIRTKEY;
  std::string_view rest = shortcut;
  for (;;) {
    if (rest.substr(0, 5) == "Ctrl+") {
      accel.fVirt |= FCONTROL;
      rest.remove_prefix(5);
    } else if (rest.substr(0, 6) == "Shift+") {
      accel.fVirt |= FSHIFT;
      rest.remove_prefix(6);
    } else if (rest.substr(0, 4) == "Alt+") {
      accel.fVirt |= FALT;
      rest.remove_prefix(4);
    } else {
      break;
    }
  }
  if (rest.size() == 1 && rest[0] >= 'A' && rest[0] <= 'Z') {
    accel.key = static_cast<WORD>(rest[0]);
  } else if (rest == "Del") {
    accel.key = VK_DELETE;
  } else if (rest.size() >= 2 && rest[0] == 'F' && rest.size() <= 3) {
    const int n = std::stoi(std::string(rest.substr(1)));
    if (n < 1 || n > 12) return false;
    accel.key = static_cast<WORD>(VK_F1 + n - 1);
  } else {
    return false;
  }
  return true;
}

TAccelerators MakeAccelerators(const std::vector<TShortcutCommand>& shortcuts) {
  std::vector<ACCEL> keys;
  for (const TShortcutCommand& entry : shortcuts) {
    ACCEL accel{};
    if (!ParseShortcut(entry.shortcut, accel)) continue;
    accel.cmd = static_cast<WORD>(entry.id);
    keys.push_back(accel);
  }
  return TAccelerators(CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size())));
}

}  // namespace vp::widgets
