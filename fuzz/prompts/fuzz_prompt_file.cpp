// Feeds arbitrary bytes to the prompt file decoder: it must never crash, read out of bounds or
// allocate what the bytes cannot hold, and a record it accepts must survive a write and a read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "prompts/PromptFileHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lyn::PromptFileHeader header;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (lyn::fncDecodePromptFile(bytes, header) != lyn::enPromptFileResult::ok) return 0;
  lyn::PromptFileHeader again;
  if (lyn::fncDecodePromptFile(lyn::fncEncodePromptFile(header), again) !=
          lyn::enPromptFileResult::ok ||
      again.entries.size() != header.entries.size() || again.sAudioFile != header.sAudioFile)
    std::abort();
  return 0;
}
