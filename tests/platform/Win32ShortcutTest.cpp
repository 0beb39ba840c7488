// Shortcuts made here through the shell's link interface, then read back
// through the seam (the shell again) and by the simulation's reader of the
// file format: both must agree with what was made.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <objidl.h>
#include <shlobj.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/sim/ShellLinkFile.h"
#include "support/ScratchFolder.h"
#include "support/ShellFixtures.h"
#include "support/TestSupport.h"

namespace vp::platform {
namespace {

std::wstring Wide(std::string_view text) {
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(length));
  return wide;
}

::testing::AssertionResult MakeShortcut(const std::wstring& file, const std::wstring& target,
                                        const std::wstring& arguments) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link));
  if (SUCCEEDED(result)) result = link->SetPath(target.c_str());
  if (SUCCEEDED(result)) result = link->SetArguments(arguments.c_str());
  if (SUCCEEDED(result)) result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
  if (SUCCEEDED(result)) result = persist->Save(file.c_str(), TRUE);
  if (persist != nullptr) persist->Release();
  if (link != nullptr) link->Release();
  if (SUCCEEDED(init)) CoUninitialize();
  if (FAILED(result)) return ::testing::AssertionFailure() << "shell link not saved: " << std::hex << result;
  return ::testing::AssertionSuccess();
}

TEST(Win32Shortcut, TheShellAndTheFileReaderAgree) {
  test::ScratchFolder scratch;
  const std::string longArguments(600, 'a');
  const struct {
    const char* name;
    std::wstring target;
    std::wstring arguments;
    std::optional<ShortcutTarget> expected;  // empty: the target has no code page form
  } cases[] = {
      {"plain.lnk", L"C:\\Program Files\\Plain\\plain.exe", L"",
       ShortcutTarget{"C:\\Program Files\\Plain\\plain.exe", ""}},
      {"args.lnk", L"C:\\Tools\\run.exe", L"--quiet \"C:\\a b\\c.txt\"",
       ShortcutTarget{"C:\\Tools\\run.exe", "--quiet \"C:\\a b\\c.txt\""}},
      {"accent.lnk", L"C:\\Programme\\M\u00fcller\\\u00e9t\u00e9.exe", L"\u00e0",
       ShortcutTarget{"C:\\Programme\\M\xFCller\\\xE9t\xE9.exe", "\xE0"}},
      {"long.lnk", L"C:\\Tools\\long.exe", Wide(longArguments),
       ShortcutTarget{"C:\\Tools\\long.exe", longArguments}},
      {"folder.lnk", L"C:\\windows", L"", ShortcutTarget{"C:\\windows", ""}},
      {"cyrillic.lnk", L"C:\\Tools\\\u0416.exe", L"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(MakeShortcut(Wide(scratch.Path(c.name)), c.target, c.arguments));
    auto shell = Sys().ResolveShortcut(scratch.Path(c.name));
    auto reader = sim::ParseShellLink(test::HostFileBytes(scratch.Host(c.name)));
    ASSERT_EQ(shell.has_value(), c.expected.has_value()) << (shell ? shell->path : std::string());
    ASSERT_EQ(reader.has_value(), c.expected.has_value());
    if (!c.expected) continue;
    EXPECT_EQ(Sys().UpperCase(shell->path), Sys().UpperCase(c.expected->path));
    EXPECT_EQ(shell->arguments, c.expected->arguments);
    EXPECT_EQ(reader->path, c.expected->path);
    EXPECT_EQ(reader->arguments, c.expected->arguments);
  }
}

// Writes the shortcut files of tests/data/shortcuts into the folder named by
// VP_SHORTCUT_FIXTURES (a Windows path): run on purpose only, with
// --gtest_also_run_disabled_tests --gtest_filter=*WriteFixtures.
TEST(Win32Shortcut, DISABLED_WriteFixtures) {
  const char* folder = std::getenv("VP_SHORTCUT_FIXTURES");
  ASSERT_NE(folder, nullptr);
  for (const auto& fixture : test::kShortcutFixtures)
    EXPECT_TRUE(MakeShortcut(Wide(std::string(folder) + "\\" + fixture.file), Wide(fixture.target),
                             Wide(fixture.arguments)));
}

}  // namespace
}  // namespace vp::platform

#endif
