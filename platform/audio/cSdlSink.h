#pragma once
// The sound card, through SDL2's audio subsystem (PipeWire, PulseAudio or ALSA underneath).
// SDL's callback thread pulls the frames; a period is about 6 ms, so a pause or a seek is heard
// within a few milliseconds. The device is opened in the format of the audio (SDL converts when
// the card wants another).
//
// SDL2 is loaded at the first start, not linked: a run that plays to the null or WAV sink never
// maps it nor the display and sound-server libraries behind it.
//
// Errors: SDL2 cannot be loaded, no audio driver or device -> fncbStart false, with the reason
// in fncLastError().

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/iAudioSink.h"

namespace lyn {

class cSdlSink final : public iAudioSink {
 public:
  cSdlSink();
  ~cSdlSink() override;
  cSdlSink(const cSdlSink&) = delete;
  cSdlSink& operator=(const cSdlSink&) = delete;

  bool fncbStart(iAudioSource& source, const AudioFormat& format) override;
  void subStop() override;
  const char* fncName() const override { return "sdl"; }
  const std::string& fncLastError() const { return msError; }

  // The version of the SDL2 library installed ("2.26.5"); empty when it cannot be loaded.
  static std::string fncLibraryVersion();

 private:
  struct Library;
  static void subCallback(void* self, uint8_t* stream, int bytes);

  std::unique_ptr<Library> mLibrary;  // loaded at the first start
  bool mbInitialised = false;
  uint32_t mDevice = 0;
  iAudioSource* mSource = nullptr;
  AudioFormat mFormat;
  std::string msError;
};

}  // namespace lyn
