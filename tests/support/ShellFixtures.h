#pragma once

namespace vp::test {

// The shortcut files of tests/data/shortcuts, made by the shell under Wine,
// with what they point at (code page 1252 text).
struct ShortcutFixture {
  const char* file;
  const char* target;
  const char* arguments;
};

inline constexpr ShortcutFixture kShortcutFixtures[] = {
    {"tool.lnk", "C:\\Program Files\\Tool\\tool.exe", "/min /tray"},
    {"cafe.lnk", "C:\\Program Files\\Caf\xE9\\Caf\xE9 Tool.exe", "-x \"a b\""},
    {"Notepad.exe.lnk", "C:\\windows\\notepad.exe", ""},
};

}  // namespace vp::test
