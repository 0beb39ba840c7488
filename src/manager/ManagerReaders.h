#pragma once

#include <string>

#include "manager/ManagerRows.h"
#include "settings/IniTools.h"

namespace vp {

// What every reader of a manager tab is given by its fill.
struct TReaderContext {
  TManagerTexts texts;
  std::string dataFolder;  // the program's Data\ folder, with a backslash
  bool isWin2000 = false;
  bool isWinXP = false;
  TFunctionCacher* cacher = nullptr;  // memo of slow lookups; may be null
};

using TTabReader = void (*)(const TReaderContext& context, TRowCollector& rows);

// The reader of a tab; null for the cleaner tab and out-of-range tabs.
TTabReader ReaderOfTab(int tab);

// The readers, one per tab.
void ReadInstalledSoftware(const TReaderContext& context, TRowCollector& rows);  // 0
void ReadStartupEntries(const TReaderContext& context, TRowCollector& rows);     // 1
void ReadUninstallEntries(const TReaderContext& context, TRowCollector& rows);   // 2
void ReadFileTypes(const TReaderContext& context, TRowCollector& rows);          // 3
void ReadNewFileEntries(const TReaderContext& context, TRowCollector& rows);     // 4
void ReadShellVerbs(const TReaderContext& context, TRowCollector& rows);         // 5
void ReadMenuExtEntries(const TReaderContext& context, TRowCollector& rows);     // 6
void ReadOpenWithEntries(const TReaderContext& context, TRowCollector& rows);    // 7
void ReadSearchEntries(const TReaderContext& context, TRowCollector& rows);      // 8

}  // namespace vp
