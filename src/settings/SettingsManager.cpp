#include "settings/SettingsManager.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "files/FileTools.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "settings/BigIni.h"

namespace vp {

namespace {

constexpr int kMaxStoredColumns = 11;  // columns 0..10 are read back
constexpr size_t kMaxSamples = 101;

// The pixel widths to judge a column by: its caption, then cells from the
// start, the end and the middle of a long list, or every row but the last
// of a short one.
std::vector<int> ColumnSamples(const SettingsList& list, int column) {
  std::vector<int> samples;
  const int rows = list.RowCount();
  const int columns = std::max(1, list.ColumnCount());
  const std::string caption = list.ColumnCaption(column);
  if (rows == 0 && Trim(caption).empty())
    samples.push_back(list.ClientWidth() / columns - 20);
  else
    samples.push_back(list.TextWidth(caption));

  auto sample = [&](int row) {
    if (samples.size() >= kMaxSamples || row < 0 || row >= rows) return;
    const auto cell = list.Cell(row, column);
    samples.push_back(cell ? list.TextWidth(*cell) : 0);
  };
  if (rows >= 99) {
    for (int row = 0; row <= 30; ++row) sample(row);
    for (int row = rows - 30; row < rows; ++row) sample(row);
    for (int row = rows / 2 - 20; row <= rows / 2; ++row) sample(row);
  } else {
    for (int row = 0; row < rows - 1; ++row) sample(row);
  }
  return samples;
}

}  // namespace

int RobustColumnWidth(const std::vector<int>& samples) {
  if (samples.empty()) return 80;
  auto mean = [](const std::vector<long double>& values) {
    long double sum = 0;
    int positive = 0;
    for (long double v : values) {
      sum += v;
      if (v > 0) ++positive;
    }
    return sum / (positive > 0 ? positive : 1);
  };
  std::vector<long double> values(samples.begin(), samples.end());
  const long double first = mean(values);
  for (long double& v : values)
    if (v > 1.25L * first || v <= 0.75L * first) v = 0;
  long double width = mean(values);
  if (width < 60) width = 60;
  if (width < samples.front()) width = samples.front();
  width += std::min(width * 0.5L, 20.0L);
  return static_cast<int>(std::nearbyint(static_cast<double>(width)));  // halves to even
}

std::string ListSectionName(const SettingsList& list) {
  std::string name;
  for (const std::string& form : list.AncestorFormNames())
    if (!form.empty()) {
      name = form;
      break;
    }
  if (const auto tab = list.ParentTabIndex()) name += ":" + std::to_string(*tab);
  return name;
}

TSettingsManager::TSettingsManager(std::string_view folder)
    : folder_(EnsureTrailing(folder, '\\')), ini_(std::make_unique<TBigIniFile>()) {}

TSettingsManager::~TSettingsManager() = default;

uint64_t TSettingsManager::Now() const {
  if (clock_) return clock_();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

bool TSettingsManager::SelectFile(std::string_view baseName) {
  if (!currentFile_.empty() && SameText(currentFile_, baseName)) return true;
  currentFile_ = std::string(baseName);
  const std::string path = folder_ + currentFile_ + ".dat";
  // Making the folder asks about every drive of the machine, which costs
  // far more than looking at the folder: only when it is missing.
  const std::optional<uint32_t> folder = platform::Files().Attributes(folder_);
  if (!folder || (*folder & platform::kAttrDirectory) == 0) ForceFolders(folder_);
  if (!platform::Files().Attributes(path)) CreateEmptyFile(path);
  if (processMessages_) processMessages_();
  const bool flushed = ini_->FlushFile();
  ini_ = std::make_unique<TBigIniFile>(path);
  return flushed;
}

TBigIniFile& TSettingsManager::Ini(std::string_view file) {
  SelectFile(file);
  return *ini_;
}

std::string TSettingsManager::ReadString(std::string_view file, std::string_view section,
                                         std::string_view key, std::string_view def) {
  std::string value = Ini(file).ReadString(section, key, "");
  return value.empty() ? std::string(def) : value;
}

int32_t TSettingsManager::ReadInteger(std::string_view file, std::string_view section, std::string_view key,
                                      int32_t def) {
  return Ini(file).ReadInteger(section, key, def);
}

bool TSettingsManager::ReadBool(std::string_view file, std::string_view section, std::string_view key,
                                bool def) {
  return SameText(Ini(file).ReadString(section, key, BoolToText(def)), "True");
}

void TSettingsManager::WriteString(std::string_view file, std::string_view section, std::string_view key,
                                   std::string_view value) {
  Ini(file).WriteString(section, key, value);
}

void TSettingsManager::WriteInteger(std::string_view file, std::string_view section, std::string_view key,
                                    int32_t value) {
  Ini(file).WriteString(section, key, std::to_string(value));
}

void TSettingsManager::WriteBool(std::string_view file, std::string_view section, std::string_view key,
                                 bool value) {
  Ini(file).WriteString(section, key, BoolToText(value));
}

void TSettingsManager::SaveForm(const SettingsWindow& window) {
  if (window.Height() < 10 || window.Width() < 10) return;
  const std::string name = window.Name();
  if (window.Maximized()) {
    WriteBool("Windows", name, "Max", true);
    return;
  }
  WriteInteger("Windows", name, "Height", window.Height());
  WriteInteger("Windows", name, "Width", window.Width());
  WriteInteger("Windows", name, "Left", window.Left());
  WriteInteger("Windows", name, "Top", window.Top());
  WriteBool("Windows", name, "Max", false);
}

void TSettingsManager::RestoreForm(SettingsWindow& window) {
  const std::string name = window.Name();
  int height = ReadInteger("Windows", name, "Height", -100);
  int width = ReadInteger("Windows", name, "Width", -100);
  int left = ReadInteger("Windows", name, "Left", -100);
  int top = ReadInteger("Windows", name, "Top", -100);
  const bool maximized = ReadBool("Windows", name, "Max", false);
  const int screenWidth = window.ScreenWidth();
  const int screenHeight = window.ScreenHeight();

  const bool placed = top >= -10 && top <= screenHeight + 10 && left >= -10 && left <= screenWidth + 10;
  if (!placed) {
    top = screenHeight / 2 - window.Height() / 2;
    left = screenWidth / 2 - window.Width() / 2;
  }
  const auto border = window.BorderStyle();
  if (border == SettingsWindow::Border::None || border == SettingsWindow::Border::ToolWindow) {
    window.SetPosition(left, top);
  } else {
    if (border == SettingsWindow::Border::SizeableToolWindow && height < 20) {
      height = 320;
      width = 380;
    }
    if (height < 20) height = screenHeight < 600 ? 320 : 400;
    if (width < 20) width = screenWidth < 800 ? 380 : 640;
    if (maximized) {
      window.SetMaximized();
      window.SetBounds(0, 0, screenWidth, screenHeight);
    } else {
      window.SetBounds(left, top, width, height);
    }
  }
  window.Resized();
  window.Resized();
}

void TSettingsManager::SaveColumns(const SettingsList& list) {
  const int columns = list.ColumnCount();
  if (columns <= 0) return;
  const std::string section = ListSectionName(list);
  for (int c = 0; c < columns; ++c) WriteInteger("Columns", section, std::to_string(c), list.ColumnWidth(c));
}

void TSettingsManager::RestoreColumns(SettingsList& list) {
  const int columns = list.ColumnCount();
  if (columns <= 0 || !list.Placed()) return;
  const int rows = list.RowCount();
  const uint64_t now = Now();
  if (lastRestoredList_ == &list && lastColumnCount_ == columns) {
    const uint64_t since = now - lastRestoreTick_;
    if (since < 1000 || (lastRowCount_ == rows && since < 5000)) return;
  }
  lastRestoreTick_ = now;
  lastRestoredList_ = &list;
  lastColumnCount_ = columns;
  lastRowCount_ = rows;

  const std::string section = ListSectionName(list);
  const int stored = std::min(columns, kMaxStoredColumns);
  std::vector<int> widths(static_cast<size_t>(stored));
  bool missing = false;
  for (int c = 0; c < stored; ++c) {
    widths[static_cast<size_t>(c)] = ReadInteger("Columns", section, std::to_string(c), -1);
    missing |= widths[static_cast<size_t>(c)] == -1;
  }

  if (!missing) {
    for (int c = 0; c < stored; ++c) list.SetColumnWidth(c, widths[static_cast<size_t>(c)]);
  } else if (columns == 1) {
    list.SetColumnWidth(0, list.ClientWidth() - 30);
    return;
  } else {
    int sum = 0;
    for (int c = 0; c < columns; ++c) {
      int width = RobustColumnWidth(ColumnSamples(list, c));
      if (c == 0 && list.HasCheckBoxes()) width += rows > 0 ? list.FirstRowLeft() : 20;
      list.SetColumnAutoSize(c, false);
      if (list.ColumnWidth(c) != width) list.SetColumnWidth(c, width);
      sum += width;
    }
    const int listWidth = list.ClientWidth();
    if (listWidth > sum) {
      const int share = (listWidth - 30 - sum) / columns;
      if (share >= 5)
        for (int c = 0; c < columns; ++c) list.SetColumnWidth(c, list.ColumnWidth(c) + share);
    }
  }
  // Touching each caption makes the header repaint.
  for (int c = 0; c < columns; ++c) {
    const std::string caption = list.ColumnCaption(c);
    list.SetColumnCaption(c, caption + " ");
    list.SetColumnCaption(c, caption);
  }
}

}  // namespace vp
