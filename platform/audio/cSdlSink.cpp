#include "platform/audio/cSdlSink.h"

#include <SDL.h>

#include <cstring>

namespace lyn {

cSdlSink::cSdlSink() = default;

cSdlSink::~cSdlSink() {
  subStop();
  if (mbInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool cSdlSink::fncbStart(iAudioSource& source, const AudioFormat& format) {
  subStop();
  if (!mbInitialised) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      msError = SDL_GetError();
      return false;
    }
    mbInitialised = true;
  }
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  want.freq = format.rate;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(format.channels);
  // The largest power of two not above 10 ms of audio.
  Uint16 samples = 64;
  while (samples * 2 <= format.rate / 100) samples = static_cast<Uint16>(samples * 2);
  want.samples = samples;
  want.callback = &cSdlSink::subCallback;
  want.userdata = this;
  mSource = &source;
  mFormat = format;
  mDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (mDevice == 0) {
    msError = SDL_GetError();
    mSource = nullptr;
    return false;
  }
  SDL_PauseAudioDevice(mDevice, 0);
  return true;
}

void cSdlSink::subStop() {
  if (mDevice != 0) {
    SDL_CloseAudioDevice(mDevice);  // waits for a running callback to return
    mDevice = 0;
  }
  mSource = nullptr;
}

void cSdlSink::subCallback(void* self, uint8_t* stream, int bytes) {
  auto* sink = static_cast<cSdlSink*>(self);
  const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(sink->mFormat.channels);
  const size_t frames = static_cast<size_t>(bytes) / frameBytes;
  size_t got = 0;
  if (sink->mSource != nullptr)
    got = sink->mSource->fncPull(reinterpret_cast<int16_t*>(stream), frames, false);
  std::memset(stream + got * frameBytes, 0, static_cast<size_t>(bytes) - got * frameBytes);
}

}  // namespace lyn
