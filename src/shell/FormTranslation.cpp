#include "shell/FormTranslation.h"

#include "widgets/Menu.h"
#include "widgets/Text.h"

namespace vp::shell {

namespace {

// A control whose caption is its window text.
class TCaptionComponent : public TranslatableComponent {
 public:
  TCaptionComponent(std::string name, ComponentClass componentClass, widgets::TControl& control)
      : name_(std::move(name)), class_(componentClass), control_(control) {}
  std::string Name() const override { return name_; }
  ComponentClass Class() const override { return class_; }
  std::string Text() const override { return control_.Text(); }
  void SetText(const std::string& text) override { control_.SetText(text); }

 private:
  std::string name_;
  ComponentClass class_;
  widgets::TControl& control_;
};

class TTabsComponent : public TranslatableComponent {
 public:
  explicit TTabsComponent(widgets::TTabControl& tabs) : tabs_(tabs) {}
  std::string Name() const override { return "TabControl"; }
  ComponentClass Class() const override { return ComponentClass::TabControl; }
  StringList Items() const override { return tabs_.Captions(); }
  void SetItems(const StringList& items) override {
    // The tabs stay; only their captions change.
    StringList captions = tabs_.Captions();
    for (size_t i = 0; i < captions.size() && i < items.size(); ++i) captions[i] = items[i];
    tabs_.SetCaptions(captions);
  }

 private:
  widgets::TTabControl& tabs_;
};

// A list whose column captions are translated; its columns keep their
// widths.
class TColumnsComponent : public TranslatableComponent {
 public:
  explicit TColumnsComponent(widgets::TListView& list) : list_(list) {}
  std::string Name() const override { return "ListView"; }
  ComponentClass Class() const override { return ComponentClass::ListView; }
  StringList Items() const override { return list_.ColumnCaptions(); }
  void SetItems(const StringList& items) override {
    for (int column = 0; column < list_.ColumnCount() && static_cast<size_t>(column) < items.size(); ++column)
      list_.SetColumnCaption(column, items[static_cast<size_t>(column)]);
  }

 private:
  widgets::TListView& list_;
};

// One item of a menu, by its position in its parent.
class TMenuItemComponent : public TranslatableComponent {
 public:
  TMenuItemComponent(std::string name, HMENU parent, int position, bool popup, HWND window)
      : name_(std::move(name)), parent_(parent), position_(position), popup_(popup), window_(window) {}
  std::string Name() const override { return name_; }
  ComponentClass Class() const override { return ComponentClass::MenuItem; }
  std::string Text() const override { return widgets::MenuItemCaption(parent_, position_); }
  void SetText(const std::string& text) override {
    widgets::SetMenuItemCaption(parent_, position_, text);
    if (!popup_ && window_ != nullptr) DrawMenuBar(window_);
  }
  std::vector<TranslatableComponent*> SubItems() const override { return subItems_; }
  bool IsSeparator() const override { return name_.empty(); }
  bool InPopupMenu() const override { return popup_; }
  void AddSubItem(TranslatableComponent* item) { subItems_.push_back(item); }

 private:
  std::string name_;
  HMENU parent_;
  int position_;
  bool popup_;
  HWND window_;
  std::vector<TranslatableComponent*> subItems_;
};

class TPopupComponent : public TranslatableComponent {
 public:
  explicit TPopupComponent(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  ComponentClass Class() const override { return ComponentClass::PopupMenu; }
  std::vector<TranslatableComponent*> SubItems() const override { return items_; }
  void AddSubItem(TranslatableComponent* item) { items_.push_back(item); }

 private:
  std::string name_;
  std::vector<TranslatableComponent*> items_;
};

}  // namespace

TFormTranslation::TFormTranslation(HWND window, const DesignedWindow& design,
                                   const TTranslatedControls& controls)
    : window_(window), name_(design.name) {
  // In the designed order, so that the language file reads as the window.
  for (const DesignedControl& designed : design.controls) {
    if (designed.name == "TabControl" && controls.tabs != nullptr) {
      owned_.push_back(std::make_unique<TTabsComponent>(*controls.tabs));
      components_.push_back(owned_.back().get());
      continue;
    }
    if (designed.name == "ListView" && controls.columns != nullptr) {
      owned_.push_back(std::make_unique<TColumnsComponent>(*controls.columns));
      components_.push_back(owned_.back().get());
      continue;
    }
    for (const auto& [name, control] : controls.captions) {
      if (name != designed.name) continue;
      owned_.push_back(
          std::make_unique<TCaptionComponent>(std::string(name), designed.componentClass, *control));
      components_.push_back(owned_.back().get());
    }
  }

  int topPosition = 0;
  for (const DesignedMenu& menu : design.menus) {
    HMENU items = menu.popup ? controls.popup : GetSubMenu(controls.menuBar, topPosition);
    if (items == nullptr) continue;
    std::unique_ptr<TranslatableComponent> owner;
    if (menu.popup) {
      owner = std::make_unique<TPopupComponent>(std::string(menu.name));
    } else {
      owner = std::make_unique<TMenuItemComponent>(std::string(menu.name), controls.menuBar, topPosition,
                                                   false, window);
      ++topPosition;
    }
    int position = 0;
    for (const DesignedMenuItem& item : menu.items) {
      owned_.push_back(std::make_unique<TMenuItemComponent>(std::string(item.name), items, position++,
                                                            menu.popup, window));
      TranslatableComponent* sub = owned_.back().get();
      if (menu.popup)
        static_cast<TPopupComponent*>(owner.get())->AddSubItem(sub);
      else
        static_cast<TMenuItemComponent*>(owner.get())->AddSubItem(sub);
    }
    components_.push_back(owner.get());
    owned_.push_back(std::move(owner));
  }
}

TFormTranslation::~TFormTranslation() = default;

std::string TFormTranslation::Caption() const {
  wchar_t buffer[256] = {};
  GetWindowTextW(window_, buffer, 255);
  return widgets::Narrow(buffer);
}

void TFormTranslation::SetCaption(const std::string& caption) {
  SetWindowTextW(window_, widgets::Wide(caption).c_str());
}

std::vector<TranslatableComponent*> TFormTranslation::Components() const {
  return components_;
}

}  // namespace vp::shell
