#pragma once

// The system controls the windows use, each a move-only owner of its window.

#include <windows.h>

#include <string>
#include <string_view>

#include "files/StringTools.h"
#include "widgets/Window.h"

namespace vp::widgets {

class TButton : public TControl {
 public:
  TButton() = default;
  TButton(HWND parent, int id, std::string_view caption, bool isDefault = false);
  // A click as the user makes one: only when shown and usable, and the
  // parent is usable too.
  bool Click();
};

class TRadioButton : public TControl {
 public:
  TRadioButton() = default;
  // The first button of a group starts it (and takes the tab stop).
  TRadioButton(HWND parent, int id, std::string_view caption, bool firstOfGroup);
  bool Checked() const;
  void SetChecked(bool checked);
};

class TLabel : public TControl {
 public:
  TLabel() = default;
  TLabel(HWND parent, std::string_view caption, bool wrap = false);
  // The width the caption needs in the control's font.
  int TextWidth() const;
};

// A read-only edit field without border (detail and counter fields).
class TReadOnlyEdit : public TControl {
 public:
  TReadOnlyEdit() = default;
  TReadOnlyEdit(HWND parent, int id);
};

class TProgressBar : public TControl {
 public:
  TProgressBar() = default;
  explicit TProgressBar(HWND parent);
  void SetRange(int maximum);
  void SetPosition(int position);
};

class TTabControl : public TControl {
 public:
  TTabControl() = default;
  TTabControl(HWND parent, int id);
  StringList Captions() const;
  void SetCaptions(const StringList& captions);
  int Current() const;
  void SetCurrent(int index);
  // The height of the rows of tabs.
  int StripHeight() const;
};

class TStatusBar : public TControl {
 public:
  TStatusBar() = default;
  explicit TStatusBar(HWND parent);
  std::string Text() const;
  void SetText(std::string_view text);
};

// Text width of a string in a font, in pixels.
int MeasureText(HWND window, HFONT font, std::string_view text);

}  // namespace vp::widgets
