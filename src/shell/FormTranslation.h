#pragma once

// A window as the translator walks it: every control that carries a
// designed text, the menu bar's items and the pop-up menu, by the names the
// language files use. The main window and the Backups window each hand
// theirs over with their design.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/DesignedTexts.h"
#include "settings/Translator.h"
#include "widgets/Controls.h"
#include "widgets/ListView.h"

namespace vp::shell {

// The controls of a window, by their designed names.
struct TTranslatedControls {
  std::vector<std::pair<std::string_view, widgets::TControl*>> captions;
  widgets::TTabControl* tabs = nullptr;   // the designed "TabControl"
  widgets::TListView* columns = nullptr;  // the designed "ListView": its column captions
  HMENU menuBar = nullptr;                // its sub-menus in the designed order
  HMENU popup = nullptr;                  // the designed pop-up menu
};

class TFormTranslation : public TranslatableWindow {
 public:
  TFormTranslation(HWND window, const DesignedWindow& design, const TTranslatedControls& controls);
  ~TFormTranslation() override;

  std::string Name() const override { return name_; }
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  std::vector<TranslatableComponent*> Components() const override;

 private:
  HWND window_;
  std::string name_;
  std::vector<std::unique_ptr<TranslatableComponent>> owned_;
  std::vector<TranslatableComponent*> components_;
};

}  // namespace vp::shell
