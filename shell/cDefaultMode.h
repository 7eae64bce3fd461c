#pragma once
// A mode that offers only the mode interface's defaults: stands for a mode that this build does
// not have yet, so that every mode number can be switched to.

#include "modes/iMode.h"
#include "prompts/cPromptHandler.h"

namespace lyn {

class cDefaultMode final : public iMode {
 public:
  cDefaultMode(cModeServices& services, int32_t ilNumber, const char* isCaptionKey)
      : iMode(services), mlNumber(ilNumber), msCaptionKey(isCaptionKey) {}
  int32_t fnclModeNumber() const override { return mlNumber; }
  std::string fncClassCaption() override { return mServices.prompts.Text(msCaptionKey) + " - "; }

 private:
  int32_t mlNumber;
  const char* msCaptionKey;
};

}  // namespace lyn
