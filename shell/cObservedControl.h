#pragma once
// A player's control with a witness: every start of playback is reported (file, position and
// mark) before it happens, for front ends that show what the book player does; every opened
// file tells whether its speed stage works.

#include <functional>
#include <memory>

#include "audio/PhraseAudioHandler.h"

namespace lyn {

class cObservedControl final : public PhraseAudioHandler {
 public:
  // `onOpen` hears whether the file opened and its speed stage is in use.
  cObservedControl(std::unique_ptr<PhraseAudioHandler> inner, std::function<void()> onPlay,
                   std::function<void(bool)> onOpen = {})
      : mInner(std::move(inner)), mOnPlay(std::move(onPlay)), mOnOpen(std::move(onOpen)) {}

  bool OpenFile(const std::string& f) override {
    const bool opened = mInner->OpenFile(f);
    if (mOnOpen) mOnOpen(opened && mInner->IsUsingVari());
    return opened;
  }
  bool Play() override {
    if (mOnPlay) mOnPlay();
    return mInner->Play();
  }
  bool Pause() override { return mInner->Pause(); }
  bool CloseFile() override { return mInner->CloseFile(); }
  bool Seek(int32_t ms) override { return mInner->Seek(ms); }
  bool StopAt(int32_t ms) override { return mInner->StopAt(ms); }
  int32_t Position() override { return mInner->Position(); }
  int32_t Duration() override { return mInner->Duration(); }
  bool EndOfStream() override { return mInner->EndOfStream(); }
  int32_t State() override { return mInner->State(); }
  bool SetVolume(int32_t v) override { return mInner->SetVolume(v); }
  bool SetRate(double r) override { return mInner->SetRate(r); }
  double Rate() override { return mInner->Rate(); }
  bool IsUsingVari() override { return mInner->IsUsingVari(); }
  bool SetVariParameters(double t, int16_t a, int16_t b, int16_t c, int16_t d, int16_t e) override {
    return mInner->SetVariParameters(t, a, b, c, d, e);
  }

 private:
  std::unique_ptr<PhraseAudioHandler> mInner;
  std::function<void()> mOnPlay;
  std::function<void(bool)> mOnOpen;
};

}  // namespace lyn
