#pragma once

// File-system operations that the rest of the program calls instead of the
// platform directly: path tests that refuse anything but a plain local drive
// path, guarded copy and delete, folder creation and listing, drive and
// volume information and the shell's association lookup. None of them shows
// a dialog or throws; results say what happened. All are stateless and may
// run on any thread.

#include <cstdint>
#include <string>
#include <string_view>

#include "files/StringTools.h"
#include "platform/FileSystem.h"

namespace vp {

// ---------------------------------------------------------------- path tests

// The gate in front of every other path test: a drive letter, ":\" at
// position 2, at most one ":", at least 3 characters, none of * ? < > | "
// CR LF NUL and no doubled backslash. Strict also refuses any control
// character and surrounding blanks.
bool IsValidPathSyntax(std::string_view text, bool strict = false);

// A valid path on a drive that is present and not a CD-ROM. With probe, the
// path's folder must also take a new file ("xxx_temp.tmp", created and
// deleted again; one that already exists counts as proof).
bool IsUsableDrivePath(std::string_view path, bool probe = false);

// A valid path naming an existing file (not a folder).
bool FileExistsChecked(std::string_view path);

// A usable drive path naming an existing folder.
bool FolderExistsChecked(std::string_view path);

// A valid path naming an existing file or folder that has at least one of
// the attribute bits.
bool HasAttribute(std::string_view path, uint32_t attributeBits);

// The drive type of the root formed by the text's first character;
// Unknown for an empty text.
platform::DriveType GetDriveTypeOf(std::string_view text);

// ---------------------------------------------------------------- file operations

// Deletes an existing file on a usable drive path. True when it was deleted.
bool DeleteFileChecked(std::string_view path);

// Copies an existing file over target when target is a usable drive path.
// True when the copy was made.
bool CopyFileChecked(std::string_view source, std::string_view target);

// Clears the read-only, system, hidden and archive bits of an existing file,
// then deletes it. True when it was deleted.
bool ForceDeleteFile(std::string_view path);

// Clears one attribute bit of an existing file or folder that has it; errors
// are ignored.
void ClearFileAttribute(std::string_view path, uint32_t attributeBit);

// Deletes every file of the folder tree (DeleteFileChecked), each
// sub-folder after what it holds, then the folder. A symbolic link, junction
// or other reparse point, the folder itself included, is removed as the link
// it is and never followed. True when the folder is gone.
bool DeleteFolder(std::string_view path);

// Creates every missing folder of a path on a fixed drive, from the root
// down. Paths with * / " ? < > |, without ":\" or off the fixed drives are
// left alone. True when the folder exists afterwards.
bool ForceFolders(std::string_view path);

// The text up to and including the last backslash, after dropping one
// trailing backslash; "" when there is none (a drive root) or the path is
// shorter than 2 characters.
std::string ParentFolder(std::string_view path);

// Creates the folders when needed and an empty file (an existing file is
// truncated) on a usable drive path. True when the file exists afterwards.
bool CreateEmptyFile(std::string_view path);

// The file's bytes (read while others may not write it), cut to byteLimit
// when that is 0 or more; -1 reads everything. "" for an absent file.
std::string ReadFileText(std::string_view path, int64_t byteLimit = -1);

// The files of an existing folder in directory-search order, as names or
// (fullPaths) folder + name: all of them for empty masks; the entry equal to
// masks (without regard to case) when masks hold no "*" or "?"; otherwise
// those accepted by MatchesMaskList. Recursive listing appends each
// sub-folder's list in turn. A malformed mask lists nothing and, when error
// is given, sets it.
StringList ListFiles(std::string_view folder, bool recursive, std::string_view masks, bool fullPaths,
                     std::string* error = nullptr);

// The sub-folders of an existing folder in directory-search order, as names
// or (fullPaths) folder + name + "\", each once; with recursive each one's
// own list follows it.
StringList ListSubfolders(std::string_view folder, bool recursive, bool fullPaths);

// The names of the folder's immediate sub-folders.
StringList ListSubfolderNames(std::string_view folder);

// ---------------------------------------------------------------- drives

// What GetVolumeInfo reports of a drive.
struct TVolumeInfo {
  std::string VolumeName;
  std::string SerialNumber;  // decimal text; "" when unknown
  std::string FileSystemName;
  uint32_t Reserved = 0;  // always 0
  int64_t TotalBytes = -1;
  int64_t FreeBytes = -1;  // free to the caller
};

TVolumeInfo GetVolumeInfo(char driveLetter);

// The lower-case letters of the fixed drives whose root is a usable folder.
// With sizeTest, only drives of more than 500 MiB with a volume serial and
// more than 1 MiB free.
std::string GetFixedDriveLetters(bool sizeTest);

// ---------------------------------------------------------------- associations

// The program the shell associates with an extension ("txt" or ".txt");
// "" when there is none. Nothing is written to the scanned machine's
// folders (see System::AssociatedProgramFor).
std::string FindExecutableFor(std::string_view extension);

}  // namespace vp
