#include "modes/iMode.h"

#include "prompts/cPromptHandler.h"

namespace lyn {

void iMode::subReportError(int32_t ilError, std::optional<std::string> isLocation) {
  lErrorNumber = ilError;
  if (isLocation) sErrorLocation = std::move(*isLocation);
}

void iMode::subIndicator() {
  mServices.prompts.subAddAudioPrompts(10, true, false, false, {"sfx_indicator3"});
}

}  // namespace lyn
