#include <gtest/gtest.h>

#include "backup/BackupFixture.h"
#include "backup/BackupSets.h"
#include "backup/BackupTool.h"
#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "registry/RegExportText.h"
#include "support/RegistryTestSupport.h"
#include "support/TestSupport.h"

namespace vp::backup {
namespace {

using vp::test::UserKey;

using namespace std::string_literals;

// Passes every call to the installed file system, except that it fails the
// failAt-th changing call (a write then leaves half of its bytes, as a full
// disk does) or, with a refused name, every call on files of that name. It
// also counts the bytes written to each file.
class FaultyFiles : public platform::FileSystem {
 public:
  explicit FaultyFiles(platform::FileSystem& inner) : inner_(inner) {}

  int failAt = 0;           // 1-based; 0 fails no call by number
  std::string refusedName;  // file name (without folder) refused throughout
  int changes = 0;
  mutable bool hit = false;
  std::map<std::string, size_t> bytesWritten;  // by file name

  platform::DriveType DriveTypeOf(char letter) const override { return inner_.DriveTypeOf(letter); }
  std::string LogicalDriveLetters() const override { return inner_.LogicalDriveLetters(); }
  std::optional<platform::VolumeInfo> VolumeOf(char letter) const override { return inner_.VolumeOf(letter); }
  std::optional<platform::DiskSpace> SpaceOf(std::string_view path) const override {
    return inner_.SpaceOf(path);
  }
  std::optional<uint32_t> Attributes(std::string_view path) const override { return inner_.Attributes(path); }
  std::unique_ptr<platform::DirectorySearch> Search(std::string_view pattern) const override {
    return inner_.Search(pattern);
  }
  std::optional<platform::FileTime> ModifiedTime(std::string_view path) const override {
    return inner_.ModifiedTime(path);
  }
  std::optional<std::string> ReadWholeFile(std::string_view path, size_t limit) const override {
    if (Refused(path)) {
      hit = true;
      return std::nullopt;
    }
    return inner_.ReadWholeFile(path, limit);
  }
  bool SetAttributes(std::string_view path, uint32_t attributes) override {
    return !Fails(path) && inner_.SetAttributes(path, attributes);
  }
  bool CopyFileTo(std::string_view source, std::string_view target, bool overwrite) override {
    return !Fails(target) && inner_.CopyFileTo(source, target, overwrite);
  }
  bool RemoveFile(std::string_view path) override { return !Fails(path) && inner_.RemoveFile(path); }
  bool MakeFolder(std::string_view path) override { return !Fails(path) && inner_.MakeFolder(path); }
  bool RemoveFolder(std::string_view path) override { return !Fails(path) && inner_.RemoveFolder(path); }
  bool WriteWholeFile(std::string_view path, std::string_view bytes) override {
    Count(path, bytes);
    if (Fails(path)) return inner_.WriteWholeFile(path, bytes.substr(0, bytes.size() / 2)) && false;
    return inner_.WriteWholeFile(path, bytes);
  }
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override {
    Count(path, bytes);
    return !Fails(path) && inner_.ReplaceWholeFile(path, bytes);
  }
  bool AppendToFile(std::string_view path, std::string_view bytes) override {
    Count(path, bytes);
    if (Fails(path)) return inner_.AppendToFile(path, bytes.substr(0, bytes.size() / 2)) && false;
    return inner_.AppendToFile(path, bytes);
  }

 private:
  static std::string NameOf(std::string_view path) {
    const size_t slash = path.find_last_of('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
  }
  bool Refused(std::string_view path) const { return !refusedName.empty() && NameOf(path) == refusedName; }
  bool Fails(std::string_view path) {
    ++changes;
    if (changes == failAt || Refused(path)) {
      hit = true;
      return true;
    }
    return false;
  }
  void Count(std::string_view path, std::string_view bytes) { bytesWritten[NameOf(path)] += bytes.size(); }

  platform::FileSystem& inner_;
};

// Installs another file system for its lifetime.
class ScopedFiles {
 public:
  explicit ScopedFiles(platform::FileSystem& files) : sound_(platform::Current()) {
    platform::Services services = sound_;
    services.files = &files;
    platform::Install(services);
  }
  ~ScopedFiles() { platform::Install(sound_); }

 private:
  platform::Services sound_;
};

class FaultTest : public test::BackupFixture {
 protected:
  void Prepare() {
    DeleteTree("F");
    Put("F\\A\\Sub", "s", platform::kRegSz, "one\0"s);
    Put("F\\A", "", platform::kRegExpandSz, "%TEMP%\0"s);
    Put("F\\B", "v", platform::kRegBinary, std::string(60, '\x5A'));
    Put("F\\B", "w", platform::kRegDword, "\x07\0\0\0"s);
    Put("F\\C", "q", platform::kRegQword, "\x01\x02\x03\x04\x05\x06\x07\x08"s);
    ASSERT_TRUE(platform::Files().WriteWholeFile(File(), "file contents"));
  }
  std::string File() const { return WorkFolder() + "tool.dll"; }

  // One action as the callers run it: each change only after its backup.
  // Returns the set folder, empty when no set was made.
  std::string Act() {
    TBackupTool tool;
    if (!Begin(tool)) return tool.SetFolder();
    if (tool.AddKey(UserKey(Key("F\\A")))) tool.RemoveKey(UserKey(Key("F\\A")));
    if (tool.AddValue(UserKey(Key("F\\B")), "v")) tool.RemoveValue(UserKey(Key("F\\B")), "v");
    if (tool.AddFile(File())) tool.RemoveFile(File());
    if (tool.AddValue(UserKey(Key("F\\B")), "w")) tool.RemoveValue(UserKey(Key("F\\B")), "w");
    if (tool.AddKey(UserKey(Key("F\\C")))) tool.RemoveKey(UserKey(Key("F\\C")));
    return tool.SetFolder();
  }

  // Runs the action on the faulty file system, restores its set on the sound
  // one, and requires everything as it was.
  void RunAndRestore(FaultyFiles& faulty, const test::TreeSnapshot& before) {
    std::string set;
    {
      ScopedFiles swap(faulty);
      set = Act();
    }
    // A set whose closing record could not be written is unfinished: its
    // restore takes the user's word, and then loses nothing either.
    if (!set.empty() && FileExists(set + "Index.dat") && RestoreBackupSet(set).untrusted)
      RestoreBackupSet(set, true);
    EXPECT_EQ(Snapshot("F"), before);
    EXPECT_EQ(ReadText(File()), "file contents");
  }
};

TEST_F(FaultTest, AFailureAtAnyStepLosesNothing) {
  Prepare();
  const test::TreeSnapshot before = Snapshot("F");
  int step = 1;
  for (;; ++step) {
    SCOPED_TRACE("failing change " + std::to_string(step));
    Prepare();
    FaultyFiles faulty(platform::Files());
    faulty.failAt = step;
    RunAndRestore(faulty, before);
    if (!faulty.hit) break;
  }
  EXPECT_GT(step, 10);
}

TEST_F(FaultTest, ARefusedFileLosesNothing) {
  Prepare();
  const test::TreeSnapshot before = Snapshot("F");
  for (const char* name : {"Entries.reg", "Index.dat", "Files.dat", "Strings.dat", "tool.dll"}) {
    SCOPED_TRACE(name);
    Prepare();
    FaultyFiles faulty(platform::Files());
    faulty.refusedName = name;
    RunAndRestore(faulty, before);
    EXPECT_TRUE(faulty.hit);
  }
}

// Each value is appended: what reaches the disk grows with the set, not with
// the square of it.
TEST_F(FaultTest, EntriesGrowByAppending) {
  const int values = vp::test::kOnRealWindows ? 60 : 300;
  for (int i = 0; i < values; ++i) Put("Many", "value" + std::to_string(i), platform::kRegSz, "some text\0"s);
  FaultyFiles counting(platform::Files());
  std::string set;
  {
    ScopedFiles swap(counting);
    TBackupTool tool;
    ASSERT_TRUE(Begin(tool));
    set = tool.SetFolder();
    for (int i = 0; i < values; ++i)
      ASSERT_TRUE(tool.AddValue(UserKey(Key("Many")), "value" + std::to_string(i)));
  }
  const size_t size = platform::Files().ReadWholeFile(set + "Entries.reg").value_or("").size();
  EXPECT_GT(size, values * 20u);
  EXPECT_EQ(counting.bytesWritten["Entries.reg"], size);
}

}  // namespace
}  // namespace vp::backup
