#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimMachine.h"
#include "settings/Translator.h"
#include "support/TestSupport.h"

namespace vp::test {

// A control as the translator sees it: texts, items and sub-items held as
// plain members.
struct FakeComponent : TranslatableComponent {
  FakeComponent(std::string n, ComponentClass c, std::string t = {}, StringList i = {})
      : name(std::move(n)), cls(c), text(std::move(t)), items(std::move(i)) {}
  std::string Name() const override { return name; }
  ComponentClass Class() const override { return cls; }
  std::string Text() const override { return text; }
  void SetText(const std::string& t) override { text = t; }
  StringList Items() const override { return items; }
  void SetItems(const StringList& i) override { items = i, ++setItemsCalls; }
  std::vector<TranslatableComponent*> SubItems() const override { return subItems; }
  bool IsSeparator() const override { return separator; }
  bool Visible() const override { return visible; }
  bool InPopupMenu() const override { return inPopup; }

  std::string name;
  ComponentClass cls;
  std::string text;
  StringList items;
  int setItemsCalls = 0;
  std::vector<TranslatableComponent*> subItems;
  bool separator = false, visible = true, inPopup = false;
};

// A window owning its components.
struct FakeWindow : TranslatableWindow {
  explicit FakeWindow(std::string n, std::string c = "designed")
      : name(std::move(n)), caption(std::move(c)) {}
  std::string Name() const override { return name; }
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  std::vector<TranslatableComponent*> Components() const override {
    std::vector<TranslatableComponent*> list;
    for (const auto& c : owned) list.push_back(c.get());
    return list;
  }
  FakeComponent& Add(std::string n, ComponentClass c, std::string t = {}, StringList i = {}) {
    return *owned.emplace_back(std::make_unique<FakeComponent>(std::move(n), c, std::move(t), std::move(i)));
  }
  FakeComponent& Find(std::string_view n) const {
    for (const auto& c : owned)
      if (c->name == n) return *c;
    throw std::out_of_range(std::string(n));
  }

  std::string name, caption;
  std::vector<std::unique_ptr<FakeComponent>> owned;
};

// Makes the shipped language files readable for the object's lifetime: under
// Wine straight from the source tree, natively through a simulated drive D:.
class ShippedLanguages {
 public:
  ShippedLanguages() : previous_(platform::Current()) {
    if (kOnRealWindows) return;
    machine_ = std::make_unique<platform::sim::SimMachine>();
    machine_->Files().MapDrive('D', std::string(VP_TEST_DATA_DIR) + "/../../data",
                               platform::DriveType::Fixed);
    platform::Services services = machine_->Services();
    if (services.registry == nullptr) services.registry = previous_.registry;
    platform::Install(services);
  }
  ~ShippedLanguages() {
    if (machine_) platform::Install(previous_);
  }
  ShippedLanguages(const ShippedLanguages&) = delete;
  ShippedLanguages& operator=(const ShippedLanguages&) = delete;

  std::string English() const {
    return machine_ ? "D:\\Languages\\English.lng" : DataPath("../../data/Languages/English.lng");
  }

 private:
  platform::Services previous_;
  std::unique_ptr<platform::sim::SimMachine> machine_;
};

}  // namespace vp::test
