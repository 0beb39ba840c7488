#pragma once

// The user's window and list preferences: window position and size, column
// widths per list (and per tab), sort column and direction per tab, and a
// few program settings, kept in INI files "<folder><name>.dat":
//   "Windows"  [window name]          Height, Width, Left, Top (integer), Max (boolean)
//   "Columns"  [list section name]    "0", "1", ... column widths
//   "Sortting" ["MainForm:" + tab]    SortColumn (default 0), SortDir (default 1)
//   "Settings" [Language] File; [FileCache] Created; [DontCacheDrives] "0"
// Booleans are written "True"/"False", integers in decimal. Window thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/StringTools.h"

namespace vp {

class TBigIniFile;

// A window as the settings manager sees it.
class SettingsWindow {
 public:
  enum class Border { None, ToolWindow, SizeableToolWindow, Other };

  virtual ~SettingsWindow() = default;
  virtual std::string Name() const = 0;  // the component name, e.g. "MainForm"
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Maximized() const = 0;
  virtual Border BorderStyle() const = 0;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual void SetPosition(int left, int top) = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual void SetMaximized() = 0;
  // Calls the window's resize handler, when it has one.
  virtual void Resized() {}
};

// A report-style list as the settings manager sees it.
class SettingsList {
 public:
  virtual ~SettingsList() = default;
  // False for a list without an owner or a parent.
  virtual bool Placed() const = 0;
  // Names of the forms among the list's parent, grandparent, great-grandparent
  // and the great-grandparent's owner, in that order ("" where one is not a
  // form or is missing).
  virtual std::vector<std::string> AncestorFormNames() const = 0;
  // The current tab index when the list's direct parent is a tab control.
  virtual std::optional<int> ParentTabIndex() const = 0;

  virtual int ColumnCount() const = 0;
  virtual int RowCount() const = 0;
  virtual int ClientWidth() const = 0;
  virtual int ColumnWidth(int column) const = 0;
  virtual void SetColumnWidth(int column, int width) = 0;
  virtual void SetColumnAutoSize(int column, bool on) = 0;
  virtual std::string ColumnCaption(int column) const = 0;
  virtual void SetColumnCaption(int column, const std::string& caption) = 0;
  // Column 0 is the row's caption, column c > 0 its sub-item c - 1 (empty
  // when the row has none).
  virtual std::optional<std::string> Cell(int row, int column) const = 0;
  // The text's width in pixels in the list's font.
  virtual int TextWidth(const std::string& text) const = 0;
  virtual bool HasCheckBoxes() const = 0;
  // The horizontal position of the first row's text (the room a check box takes).
  virtual int FirstRowLeft() const = 0;
};

// The column width the samples suggest: outliers dropped, at least 60 and the
// caption's width (sample 0), plus half of itself up to 20 pixels.
int RobustColumnWidth(const std::vector<int>& samples);

// The section a list's columns are stored under: the first form name among
// its ancestors, plus ":" and the tab index when it lies on a tab control.
std::string ListSectionName(const SettingsList& list);

class TSettingsManager {
 public:
  // folder: where the settings files live (a trailing backslash is added).
  // The program passes its data folder; the folder of the program file, when
  // wanted, is the caller's to supply.
  explicit TSettingsManager(std::string_view folder);
  // Writes back the current file.
  ~TSettingsManager();
  TSettingsManager(const TSettingsManager&) = delete;
  TSettingsManager& operator=(const TSettingsManager&) = delete;

  // Called while switching files, so that the window stays responsive.
  void SetProcessMessages(std::function<void()> process) { processMessages_ = std::move(process); }
  // The millisecond tick used to damp repeated column restores.
  void SetClock(std::function<uint64_t()> clock) { clock_ = std::move(clock); }

  const std::string& Folder() const { return folder_; }
  const std::string& CurrentFile() const { return currentFile_; }

  // Selects the file with this base name unless it is the current one: writes
  // back the current file, creates the folder and an empty file when missing,
  // and opens it. False when the file could not be opened for writing back.
  bool SelectFile(std::string_view baseName);

  // The stored value; def when it is empty.
  std::string ReadString(std::string_view file, std::string_view section, std::string_view key,
                         std::string_view def);
  // The stored value as an integer; def when absent or not a number.
  int32_t ReadInteger(std::string_view file, std::string_view section, std::string_view key, int32_t def);
  // True when the stored value (or def, written "True"/"False") is "True" in any case.
  bool ReadBool(std::string_view file, std::string_view section, std::string_view key, bool def);
  void WriteString(std::string_view file, std::string_view section, std::string_view key,
                   std::string_view value);
  void WriteInteger(std::string_view file, std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view file, std::string_view section, std::string_view key, bool value);

  // Stores a window's geometry (windows at least 10 x 10 pixels only).
  void SaveForm(const SettingsWindow& window);
  // Puts a window where it was, or centres it and gives it a sensible size.
  void RestoreForm(SettingsWindow& window);
  // Stores the widths of a list's columns.
  void SaveColumns(const SettingsList& list);
  // Sets the stored column widths, or computes them from the contents when
  // any is missing.
  void RestoreColumns(SettingsList& list);

 private:
  TBigIniFile& Ini(std::string_view file);
  uint64_t Now() const;

  std::string currentFile_;
  std::string folder_;
  std::unique_ptr<TBigIniFile> ini_;
  uint64_t lastRestoreTick_ = 0;
  const SettingsList* lastRestoredList_ = nullptr;  // identity only, never followed
  int lastColumnCount_ = 0;
  int lastRowCount_ = 0;
  std::function<void()> processMessages_;
  std::function<uint64_t()> clock_;
};

}  // namespace vp
