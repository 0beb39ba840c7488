#include "cli/ScanCommand.h"

#include "cli/FindingFormat.h"
#include "cli/ScanSession.h"

namespace vp::cli {

int RunScanCommand(const CommandContext& context, const Arguments& arguments) {
  ScanChoice choice;
  bool json = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string error;
    if (ParseScanOption(arguments, i, choice, error)) {
      if (!error.empty()) {
        context.err << "veltaro scan: " << error << '\n';
        return kExitError;
      }
    } else if (arguments[i] == "--json") {
      json = true;
    } else {
      context.err << "veltaro scan: unknown argument " << arguments[i] << '\n';
      return kExitError;
    }
  }

  const std::optional<ScanTexts> texts = LoadScanTexts(context);
  if (!texts) return kExitError;
  const std::optional<ScanResult> result = RunScan(context, choice, *texts);
  if (!result) return kExitError;

  if (!json && !result->items.empty()) context.out << kTableHeader << '\n';
  for (const TNewItem& item : result->items)
    context.out << (json ? JsonLine(item, texts->language) : TableRow(item, texts->language)) << '\n';
  context.out.flush();

  context.err << "Keys analyzed: " << result->keys << ", values analyzed: " << result->values
              << ", problems found: " << result->items.size() << ", seconds: " << result->seconds << '\n';
  if (result->cancelled) {
    context.err << "veltaro scan: interrupted; the list above is incomplete\n";
    return kExitError;
  }
  return result->items.empty() ? kExitOk : kExitFound;
}

}  // namespace vp::cli
