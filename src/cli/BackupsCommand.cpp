#include "cli/BackupsCommand.h"

namespace vp::cli {

// Being written; answers as an error until then.
int RunBackupsCommand(const CommandContext& context, const Arguments&) {
  context.err << "veltaro: this command is not available yet\n";
  return kExitError;
}

}  // namespace vp::cli
