#include "platform/audio/cSdlSink.h"

#include <SDL.h>

#include <cstring>

#include "platform/files/cSharedLibrary.h"

namespace lyn {

// SDL's headers give the types; the functions come from the library loaded at run time.
struct cSdlSink::Library {
  cSharedLibrary library{"libSDL2-2.0.so.0", true};
  decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
  decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
  decltype(&SDL_GetError) GetError = nullptr;
  decltype(&SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
  decltype(&SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
  decltype(&SDL_CloseAudioDevice) CloseAudioDevice = nullptr;

  bool fncbLoad() {
    return library.fncbFind("SDL_InitSubSystem", InitSubSystem) &&
           library.fncbFind("SDL_QuitSubSystem", QuitSubSystem) &&
           library.fncbFind("SDL_GetError", GetError) &&
           library.fncbFind("SDL_OpenAudioDevice", OpenAudioDevice) &&
           library.fncbFind("SDL_PauseAudioDevice", PauseAudioDevice) &&
           library.fncbFind("SDL_CloseAudioDevice", CloseAudioDevice);
  }
};

cSdlSink::cSdlSink() = default;

cSdlSink::~cSdlSink() {
  subStop();
  if (mbInitialised) mLibrary->QuitSubSystem(SDL_INIT_AUDIO);
}

std::string cSdlSink::fncLibraryVersion() {
  cSharedLibrary library("libSDL2-2.0.so.0", false);
  decltype(&SDL_GetVersion) getVersion = nullptr;
  if (!library.fncbFind("SDL_GetVersion", getVersion)) return "";
  SDL_version version{};
  getVersion(&version);
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.patch);
}

bool cSdlSink::fncbStart(iAudioSource& source, const AudioFormat& format) {
  subStop();
  if (!mLibrary) {
    auto library = std::make_unique<Library>();
    if (!library->fncbLoad()) {
      msError = "SDL2 cannot be loaded: " + library->library.fncError();
      return false;
    }
    mLibrary = std::move(library);
  }
  if (!mbInitialised) {
    if (mLibrary->InitSubSystem(SDL_INIT_AUDIO) != 0) {
      msError = mLibrary->GetError();
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
  mDevice = mLibrary->OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (mDevice == 0) {
    msError = mLibrary->GetError();
    mSource = nullptr;
    return false;
  }
  mLibrary->PauseAudioDevice(mDevice, 0);
  return true;
}

void cSdlSink::subStop() {
  if (mDevice != 0) {
    mLibrary->CloseAudioDevice(mDevice);  // waits for a running callback to return
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
