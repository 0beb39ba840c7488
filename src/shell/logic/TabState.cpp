#include "shell/logic/TabState.h"

#include <string>

#include "settings/SettingsManager.h"

namespace vp::shell {

namespace {

std::string Section(int tab) {
  return "MainForm:" + std::to_string(tab);
}

}  // namespace

SortOrder LoadSortOrder(TSettingsManager& settings, int tab, int columnCount) {
  SortOrder order;
  order.column = settings.ReadInteger("Sortting", Section(tab), "SortColumn", 0);
  order.direction = settings.ReadInteger("Sortting", Section(tab), "SortDir", 1);
  if (order.column < 0 || order.column >= columnCount) order.column = 0;
  if (order.direction != 1 && order.direction != -1) order.direction = 1;
  return order;
}

void SaveSortOrder(TSettingsManager& settings, int tab, const SortOrder& order) {
  settings.WriteInteger("Sortting", Section(tab), "SortColumn", order.column);
  settings.WriteInteger("Sortting", Section(tab), "SortDir", order.direction);
}

}  // namespace vp::shell
