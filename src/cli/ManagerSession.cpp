#include "cli/ManagerSession.h"

#include "core/Dispatcher.h"
#include "manager/ManagerThreads.h"
#include "settings/DesignedTexts.h"
#include "settings/IniTools.h"
#include "settings/Translator.h"

namespace vp::cli {
namespace {

// The window's side for one tab: keeps the list the updater hands over.
class CollectingView : public TManagerView {
 public:
  explicit CollectingView(int tab) : tab_(tab) {}

  void OnBeforeUpdate(int) override {}
  void OnClear(int tab) override {
    if (tab != tab_) return;
    rows_.clear();
    arrived_ = true;
  }
  void OnBeginAdd(int tab, size_t rowCount) override {
    if (tab == tab_) rows_.reserve(rowCount);
  }
  void OnAddItem(int tab, const TListRow& row) override {
    if (tab == tab_) rows_.push_back(row);
  }
  void OnEndAdd(int) override {}
  // No list is on a screen here.
  std::optional<TItemCount> CountItems() override { return std::nullopt; }
  void OnCounted(const TItemCount&) override {}

  // A whole list arrives in one call: once OnClear came, it is complete.
  bool Arrived() const { return arrived_; }
  std::vector<TListRow>& Rows() { return rows_; }

 private:
  const int tab_;
  bool arrived_ = false;
  std::vector<TListRow> rows_;
};

}  // namespace

std::optional<std::vector<TListRow>> FillManagerTab(const CommandContext& context, int tab) {
  TQueueDispatcher dispatcher;
  CollectingView view(tab);
  std::optional<std::vector<TListRow>> rows;
  {
    TManagerThreads threads(dispatcher, view);
    threads.Start(context.folders.IsWindows2000, context.folders.IsWindowsXP, context.folders.DataFolder);
    threads.ShowTab(tab);
    threads.RequestFill(tab);
    auto interrupted = [&] { return context.interrupted != nullptr && context.interrupted->load(); };
    dispatcher.PumpUntil([&] { return view.Arrived() || interrupted(); });
    // Stopping aborts a fill still running.
  }
  if (view.Arrived()) rows = std::move(view.Rows());
  return rows;
}

std::string RowLine(const TListRow& row) {
  std::string line = row.caption;
  for (const std::string& column : row.subItems) line += " | " + column;
  if (row.view32) line += " | (32-bit)";
  return line;
}

std::string TabCaption(const CommandContext& context, int tab) {
  const DesignedControl* tabs = nullptr;
  for (const DesignedControl& control : MainFormDesign().controls)
    if (control.componentClass == ComponentClass::TabControl) tabs = &control;
  std::string caption = tabs != nullptr && tab >= 0 && static_cast<size_t>(tab) < tabs->items.size()
                            ? std::string(tabs->items[tab])
                            : std::string();
  std::string error;
  const std::string file = ChooseLanguageFile(context.folders.DataFolder, context.folders.LanguagesFolder, "",
                                              [&](const std::string& message) { error = message; });
  TTranslator translator;
  if (!error.empty() || !translator.LoadFile(file)) return caption;
  const StringList translated =
      SplitListValue(translator.Lookup("mainform." + ComponentKey(ComponentClass::TabControl, "TabControl")));
  if (tab >= 0 && static_cast<size_t>(tab) < translated.size() && !translated[tab].empty())
    caption = translated[tab];
  return caption;
}

}  // namespace vp::cli
