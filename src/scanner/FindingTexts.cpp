#include "scanner/FindingTexts.h"

#include "files/StringTools.h"

namespace vp {

ProblemDescription DescribeProblem(int32_t code, const std::string& detail, const TCleanerLanguage& texts) {
  switch (code) {
    case kProblemUninstall:
      return {texts.Text(17), 2};
    case kProblemFileReference:
      return {FormatPlaceholders(texts.Text(7), detail), 3};
    case kProblemAppPath:
      return {texts.Text(16), 2};
    case kProblemFileType:
      return {texts.Text(13), 2};
    case kProblemFont:
      return {texts.Text(14), 2};
    case kProblemComRegistration:
      return {detail.empty() ? texts.Text(9) : detail, 2};
    case kProblemHelpFile:
      return {texts.Text(15), 2};
    case kProblemStartMenuOrder:
      return {texts.Text(20), 1};
    case kProblemApplication:
      return {texts.Text(20), 2};
    case kProblemSharedTool:
      return {texts.Text(19), 1};
    case kProblemSoftwareKey:
      return {texts.Text(18), 1};
    case kProblemHistoryList:
      return {texts.Text(21), 0};
    default:
      return {"Internal error 091", 0};
  }
}

std::string DetailText(const TNewItem& item, const TCleanerLanguage& texts) {
  if (item.DetailText >= 0 && item.DetailText < TCleanerLanguage::kCount) return texts.Text(item.DetailText);
  return item.Detail;
}

std::string EntryText(const TNewItem& item, const TCleanerLanguage& texts) {
  return item.WholeKey ? texts.Text(kTextWholeKey) : item.ValueName;
}

std::string DataText(const TNewItem& item, const TCleanerLanguage& texts) {
  if (item.WholeKey) return texts.Text(kTextWholeKey);
  return item.ValueData.empty() ? texts.Text(kTextEmpty) : item.ValueData;
}

std::string DateText(const TNewItem& item, const TCleanerLanguage& texts) {
  return item.KeyDate.empty() ? texts.Text(kTextEmpty) : item.KeyDate;
}

std::string ProblemText(const TNewItem& item, const TCleanerLanguage& texts) {
  std::string text = DescribeProblem(item.ProblemCode, DetailText(item, texts), texts).text;
  return item.Ignored ? FormatPlaceholders(texts.Text(kTextIgnoredFormat), text) : text;
}

std::string SeverityText(const TNewItem& item, const TCleanerLanguage& texts) {
  if (item.SeverityLevel < 0 || item.SeverityLevel > 3) return {};
  return texts.Text(kTextSeverity0 + item.SeverityLevel);
}

}  // namespace vp
