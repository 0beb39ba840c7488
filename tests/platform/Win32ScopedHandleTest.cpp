// The scoped handle closes a system handle exactly once, when its last owner
// goes: a file opened without sharing shows whether it is still held.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "platform/win32/ScopedHandle.h"

namespace vp::platform::win32 {
namespace {

std::wstring TemporaryName(const wchar_t* stem) {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return std::wstring(folder) + stem + std::to_wstring(GetCurrentProcessId());
}

// Opens the file for writing and shares it with nobody: a second open fails
// while a handle to it is open.
FileHandle OpenUnshared(const std::wstring& path) {
  return FileHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(ScopedHandle, ClosesOnceWithItsLastOwner) {
  const std::wstring first = TemporaryName(L"vp_scoped_a");
  const std::wstring second = TemporaryName(L"vp_scoped_b");
  {
    FileHandle held = OpenUnshared(first);
    ASSERT_TRUE(held.Valid());
    FileHandle movedTo(std::move(held));
    EXPECT_FALSE(held.Valid());
    EXPECT_FALSE(OpenUnshared(first).Valid()) << "a move must not close the handle";
    FileHandle assigned;
    assigned = std::move(movedTo);
    EXPECT_FALSE(OpenUnshared(first).Valid());
    // Taking another handle closes the one held before.
    assigned = OpenUnshared(second);
    ASSERT_TRUE(assigned.Valid());
    EXPECT_TRUE(OpenUnshared(first).Valid());
    EXPECT_FALSE(OpenUnshared(second).Valid());
  }
  FileHandle again = OpenUnshared(second);
  EXPECT_TRUE(again.Valid()) << "the last owner must close the handle";
  EXPECT_TRUE(again.Close());
  EXPECT_TRUE(again.Close());  // nothing left to close
  DeleteFileW(first.c_str());
  DeleteFileW(second.c_str());
}

}  // namespace
}  // namespace vp::platform::win32

#endif  // _WIN32
