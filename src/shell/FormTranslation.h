#pragma once

// The main window as the translator walks it: every control that carries a
// designed text, the menu bar's items and the pop-up menu, by the names the
// language files use.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/Translator.h"

namespace vp::shell {

class TMainForm;

class TFormTranslation : public TranslatableWindow {
 public:
  explicit TFormTranslation(TMainForm& form);
  ~TFormTranslation() override;

  std::string Name() const override { return "MainForm"; }
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  std::vector<TranslatableComponent*> Components() const override;

 private:
  TMainForm& form_;
  std::vector<std::unique_ptr<TranslatableComponent>> owned_;
  std::vector<TranslatableComponent*> components_;
};

}  // namespace vp::shell
