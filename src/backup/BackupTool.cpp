#include "backup/BackupTool.h"

#include <random>

#include "backup/SetLayout.h"
#include "backup/SetSeal.h"
#include "files/FileTools.h"
#include "files/StringTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "registry/FastRegistry.h"
#include "registry/RegExport.h"
#include "registry/RegExportText.h"
#include "settings/BigIni.h"

namespace vp {
namespace {

using platform::Files;

// The value name as callers give it: trimmed, "@" for the default value.
std::string ValueNameOf(const std::string& name) {
  std::string trimmed = Trim(name);
  if (trimmed == "@") trimmed.clear();
  return trimmed;
}

// The address of "ROOT\sub\key", blanks around either part allowed; no root
// for an unknown root name.
TKeyAddress AddressOfPath(const std::string& fullPath) {
  const size_t slash = fullPath.find('\\');
  const std::string rootName = Trim(fullPath.substr(0, slash));
  return {NameToRootKey(rootName), slash == std::string::npos ? "" : Trim(fullPath.substr(slash + 1))};
}

// A key below a root; a root itself or an address without one is never
// changed as a whole.
bool IsKeyBelowRoot(const TKeyAddress& key) {
  return key.Root != platform::kNoKey && !key.Path.empty();
}

}  // namespace

TBackupTool::TBackupTool() : TBackupTool(SystemClock()) {}

TBackupTool::TBackupTool(const Clock& clock)
    : clock_(clock), oldFormat_(platform::Sys().Version().major < 5) {
  std::random_device device;
  generator_.seed(static_cast<std::mt19937::result_type>(device() ^ clock_.TickCount()));
}

TBackupTool::~TBackupTool() {
  Finish(false);
}

bool TBackupTool::Finish(bool interrupted) {
  if (!setOpen_ || finished_) return false;
  finished_ = true;
  CleanNewestSet();
  return backup::SealSet(setFolder_, interrupted);
}

uint32_t TBackupTool::Random(uint32_t below) {
  if (below == 0) return 0;
  if (random_) return random_(below) % below;
  return std::uniform_int_distribution<uint32_t>(0, below - 1)(generator_);
}

bool TBackupTool::CreateBackup(const std::string& baseFolder, const std::string& description, int typeCode,
                               const std::string& programVersion, const std::string& usedBy) {
  // The set before is finished as it stands; its empty files stay.
  if (setOpen_ && !finished_) backup::SealSet(setFolder_, false);
  setOpen_ = false;
  if (!FolderExistsChecked(ExcludeTrailingBackslash(baseFolder))) return false;
  const std::string base = EnsureTrailing(baseFolder, '\\');
  auto folder = backup::PickSetFolder(
      base, [](const std::string& path) { return Files().Attributes(path).has_value(); },
      [this](uint32_t below) { return Random(below); });
  if (!folder || !Files().MakeFolder(ExcludeTrailingBackslash(*folder)) ||
      !FolderExistsChecked(ExcludeTrailingBackslash(*folder)))
    return false;

  // From here on later operations go to the new set, even if it fails below:
  // a half-made set must never receive the backups of the next items. The
  // earlier set keeps its files as they are.
  setFolder_ = *folder;
  entriesPath_ = setFolder_ + std::string(backup::kEntriesFile);
  entriesSize_ = 0;
  entriesWide_ = !oldFormat_ && platform::Sys().AnsiCodePage() == 1252;
  lastHeader_.clear();
  entriesBroken_ = true;
  finished_ = false;

  // The index first: a set cut short from here on still lists, and can be
  // removed like any other.
  const LocalTime now = clock_.Now();
  backup::IndexInfo index;
  index.programVersion = programVersion;
  index.description = description;
  index.typeCode = typeCode;
  index.now = now;
  index.formats = clock_.Formats();
  index.setId = MakeSetId(now);
  indexPath_ = setFolder_ + std::string(backup::kIndexFile);
  stringCount_ = 0;
  fileCount_ = 0;
  if (!Files().ReplaceWholeFile(indexPath_, backup::IndexText(index)) || !FileExistsChecked(indexPath_))
    return false;

  RegFileHeaderInfo header{usedBy, programVersion, description, now};
  const std::string headerBytes = EntriesFileBytes(RegFileHeader(oldFormat_, header), entriesWide_, true);
  if (!Files().ReplaceWholeFile(entriesPath_, headerBytes)) return false;
  for (auto name : {backup::kFilesFile, backup::kStringsFile, backup::kCookiesFile}) {
    Files().WriteWholeFile(setFolder_ + std::string(name), "");
  }
  entriesSize_ = headerBytes.size();
  entriesBroken_ = false;
  setOpen_ = FileExistsChecked(setFolder_ + std::string(backup::kFilesFile)) &&
             FileExistsChecked(setFolder_ + std::string(backup::kStringsFile));
  return setOpen_;
}

std::string TBackupTool::MakeSetId(const LocalTime& now) {
  backup::SetIdParts parts;
  parts.dayNumber = DayNumber(now);
  parts.tickCount = clock_.TickCount();
  parts.oldFormat = oldFormat_;
  parts.setFolder = setFolder_;
  parts.indexPath = indexPath_;  // still the previous set's index
  parts.entriesPath = entriesPath_;
  parts.stringCount = stringCount_;
  parts.randomNumber = Random(backup::kSetNameCount);
  return Sha1Hex(backup::SetIdSource(parts));
}

bool TBackupTool::AppendEntries(const std::string& text) {
  if (!Open() || entriesBroken_) return false;
  const std::string bytes = EntriesFileBytes(text, entriesWide_, false);
  if (Files().AppendToFile(entriesPath_, bytes)) {
    entriesSize_ += bytes.size();
    return true;
  }
  // Part of the text may have reached the file: put back what is known to be
  // there, or a later append would follow a torn line. The bytes before the
  // append were flushed by the appends before it and are read back (the tool
  // keeps no copy of a set's entries, which can be large). Rewriting in place
  // needs no more room than the file had, when a full disk refuses a copy.
  const auto known = Files().ReadWholeFile(entriesPath_, entriesSize_);
  if (!known || known->size() != entriesSize_ ||
      (!Files().ReplaceWholeFile(entriesPath_, *known) && !Files().WriteWholeFile(entriesPath_, *known))) {
    entriesBroken_ = true;
  }
  return false;
}

bool TBackupTool::AddValue(const TKeyAddress& key, const std::string& valueName) {
  if (!Open() || entriesBroken_ || key.Root == platform::kNoKey) return false;
  ExportText pending{"", lastHeader_, oldFormat_};
  if (!ExportValue(key, ValueNameOf(valueName), pending)) {
    return false;
  }
  if (!AppendEntries(pending.text)) return false;
  lastHeader_ = pending.header;
  return true;
}

bool TBackupTool::AddKey(const TKeyAddress& key) {
  if (!Open() || entriesBroken_ || !IsKeyBelowRoot(key)) return false;
  return ExportKey(key);
}

bool TBackupTool::ExportKey(const TKeyAddress& key) {
  ExportText pending{"", lastHeader_, oldFormat_};
  KeyTreeExport how;
  how.keepAlive = keepAlive_;
  if (!ExportKeyTree(key, pending, how)) return false;
  if (!AppendEntries(pending.text)) return false;
  lastHeader_ = pending.header;
  return true;
}

bool TBackupTool::AddKeyByPath(const std::string& fullPath) {
  return AddKey(AddressOfPath(fullPath));
}

std::string TBackupTool::MakeBackupFileName(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("\\:");
  const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  if (name.empty()) return "";
  if (!Files().Attributes(setFolder_ + name)) return name;
  for (int draw = 0; draw < backup::kRandomSetNameDraws; ++draw) {
    const std::string candidate = name + "_" + backup::SetFolderName(Random(backup::kSetNameCount));
    if (!Files().Attributes(setFolder_ + candidate)) return candidate;
  }
  for (uint32_t number = 0; number < backup::kSetNameCount; ++number) {
    const std::string candidate = name + "_" + backup::SetFolderName(number);
    if (!Files().Attributes(setFolder_ + candidate)) return candidate;
  }
  return "";
}

bool TBackupTool::AddFile(const std::string& fileName) {
  if (!Open()) return false;
  const std::string listPath = setFolder_ + std::string(backup::kFilesFile);
  if (!FileExistsChecked(listPath) || !FileExistsChecked(fileName)) return false;
  const std::string copyName = MakeBackupFileName(fileName);
  if (copyName.empty()) return false;
  // The copy is written and flushed before the list names it, so the list
  // never promises a copy that is not there.
  auto bytes = Files().ReadWholeFile(fileName);
  const auto attributes = Files().Attributes(fileName);
  if (!bytes || !Files().ReplaceWholeFile(setFolder_ + copyName, *bytes)) return false;
  if (attributes) Files().SetAttributes(setFolder_ + copyName, *attributes & ~platform::kAttrReadOnly);

  const int32_t n = fileCount_ + 1;
  TBigIniFile list(listPath);
  list.WriteInteger("Header", "Files", n);
  list.WriteString("File" + std::to_string(n), "OrigFile", fileName);
  list.WriteString("File" + std::to_string(n), "BackupFile", copyName);
  if (!list.FlushFile()) return false;
  fileCount_ = n;
  return FileExistsChecked(setFolder_ + copyName);
}

bool TBackupTool::AddString(const std::string& text) {
  if (!Open()) return false;
  const std::string listPath = setFolder_ + std::string(backup::kStringsFile);
  if (!FileExistsChecked(listPath)) return false;
  const int32_t n = stringCount_ + 1;
  TBigIniFile list(listPath);
  list.WriteInteger("Header", "Strings", n);
  list.WriteString("Strings", std::to_string(n), text);
  if (!list.FlushFile()) return false;
  stringCount_ = n;
  return true;
}

bool TBackupTool::RemoveValue(const TKeyAddress& key, const std::string& valueName) {
  if (!IsKeyBelowRoot(key)) return false;
  TFastRegistry registry;
  registry.SetRootKey(key.Root);
  if (!registry.OpenKey("\\" + key.Path, false)) return false;
  const std::string name = ValueNameOf(valueName);
  return registry.ValueExists(name) && registry.DeleteValue(name);
}

bool TBackupTool::RemoveKey(const TKeyAddress& key) {
  if (!IsKeyBelowRoot(key)) return false;
  const std::string path = ExcludeTrailingBackslash(key.Path);
  const size_t slash = path.rfind('\\');
  const std::string parent = slash == std::string::npos ? "" : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  TFastRegistry registry;
  registry.SetRootKey(key.Root);
  if (!registry.OpenKey("\\" + parent, false) || !registry.KeyExists(name)) return false;
  registry.DeleteKey(name);
  return !registry.KeyExists(name);
}

bool TBackupTool::RemoveKeyByPath(const std::string& fullPath) {
  return RemoveKey(AddressOfPath(fullPath));
}

bool TBackupTool::RemoveFile(const std::string& fileName) {
  return DeleteFileChecked(fileName);
}

bool TBackupTool::SetStringValue(const TKeyAddress& key, const std::string& data,
                                 const std::string& valueName) {
  if (!IsKeyBelowRoot(key)) return false;
  TFastRegistry registry;
  registry.SetRootKey(key.Root);
  if (!registry.OpenKey("\\" + key.Path, true)) return false;
  const std::string name = ValueNameOf(valueName);
  RegStatus status = platform::kErrorInvalidParameter;
  if (!registry.ValueExists(name)) {
    status = registry.WriteString(name, data);
  } else {
    switch (registry.GetDataType(name)) {
      case rdString:
        status = registry.WriteString(name, data);
        break;
      case rdExpandString:
        status = registry.WriteExpandString(name, data);
        break;
      case rdMultiString:
        status = registry.WriteMultiString(name, data);
        break;
      default:
        return false;
    }
  }
  return status == platform::kErrorSuccess;
}

void TBackupTool::CleanNewestSet() {
  if (setFolder_.empty()) return;
  for (auto name : {backup::kStringsFile, backup::kEntriesFile, backup::kCookiesFile, backup::kFilesFile}) {
    const std::string path = setFolder_ + std::string(name);
    if (!FileExistsChecked(path)) continue;
    auto head = Files().ReadWholeFile(path, 1);
    if (head && head->empty()) Files().RemoveFile(path);
  }
  if (auto bytes = Files().ReadWholeFile(entriesPath_)) {
    auto text = EntriesFileText(*bytes);
    if (text && text->find_first_of("[\"\\") == std::string::npos) Files().RemoveFile(entriesPath_);
  }
}

}  // namespace vp
