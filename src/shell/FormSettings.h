#pragma once

// The main window and its list as the settings manager sees them: where the
// window stands, and the widths of the list's columns per tab.

#include <windows.h>

#include "settings/SettingsManager.h"

namespace vp::shell {

class TMainForm;

class TFormWindowSettings : public SettingsWindow {
 public:
  explicit TFormWindowSettings(TMainForm& form) : form_(form) {}
  std::string Name() const override { return "MainForm"; }
  int Left() const override { return Placement().rcNormalPosition.left; }
  int Top() const override { return Placement().rcNormalPosition.top; }
  int Width() const override;
  int Height() const override;
  bool Maximized() const override;
  Border BorderStyle() const override { return Border::Other; }
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  void SetPosition(int left, int top) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetMaximized() override;

 private:
  WINDOWPLACEMENT Placement() const;
  TMainForm& form_;
};

class TFormListSettings : public SettingsList {
 public:
  explicit TFormListSettings(TMainForm& form) : form_(form) {}
  bool Placed() const override { return true; }
  // The list lies on the tab control of the main window.
  std::vector<std::string> AncestorFormNames() const override { return {"", "MainForm", "", ""}; }
  std::optional<int> ParentTabIndex() const override;
  int ColumnCount() const override;
  int RowCount() const override;
  int ClientWidth() const override;
  int ColumnWidth(int column) const override;
  void SetColumnWidth(int column, int width) override;
  void SetColumnAutoSize(int column, bool on) override {}
  std::string ColumnCaption(int column) const override;
  void SetColumnCaption(int column, const std::string& caption) override;
  std::optional<std::string> Cell(int row, int column) const override;
  int TextWidth(const std::string& text) const override;
  bool HasCheckBoxes() const override { return true; }
  int FirstRowLeft() const override;

 private:
  TMainForm& form_;
};

}  // namespace vp::shell
