// lyn-play: plays an audio file, or a clip of it, through the player's audio engine, so that a
// person can hear it. With LYN_AUDIO=wav:out.wav the audio is written to out.wav instead, as fast
// as the machine allows.
//
//   lyn-play FILE [BEGIN [END]] [--speed STEP] [--volume STEP]
//
// BEGIN and END are seconds; STEP is a speed step of the built-in table (5 is the recorded speed)
// or a volume step 0..10.

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cPositionCheckTimer.h"
#include "audio/cVariControl.h"
#include "platform/audio/AudioSinks.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/registry/cRegistry.h"

namespace {

class cSpeed final : public lyn::iPlaybackSpeed {
 public:
  explicit cSpeed(lyn::cVariControl& vari) : mVari(vari) {}
  bool fncbBookshelfIsCurrent() const override { return false; }
  void subApplyCurrentSpeed() override { mVari.subSetSpeed(mVari.Speed()); }

 private:
  lyn::cVariControl& mVari;
};

class cWatcher final : public lyn::iAudioPlaybackListener {
 public:
  void evEndofStream() override { bolDone = true; }
  void evError() override { bolDone = true; }
  bool bolDone = false;
};

int fncUsage() {
  std::cerr << "usage: lyn-play FILE [BEGIN [END]] [--speed STEP] [--volume STEP]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file;
  double begin = 0;
  double end = -1;
  int speed = 5;
  int volume = 10;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--speed" || arg == "--volume") && i + 1 < argc) {
      (arg == "--speed" ? speed : volume) = std::atoi(argv[++i]);
    } else if (arg.rfind("--", 0) == 0) {
      return fncUsage();
    } else if (positional == 0) {
      file = arg;
      ++positional;
    } else if (positional == 1) {
      begin = std::atof(arg.c_str());
      ++positional;
    } else if (positional == 2) {
      end = std::atof(arg.c_str());
      ++positional;
    } else {
      return fncUsage();
    }
  }
  if (file.empty()) return fncUsage();

  const lyn::AudioChoice choice = lyn::fncAudioChoiceFromEnvironment();
  // A file is written on a virtual clock, as fast as possible; sound plays in real time.
  lyn::cVirtualClock clock;
  lyn::cVirtualClock* virtualClock =
      choice.kind == lyn::AudioChoice::eKind::Wav ? &clock : nullptr;

  lyn::cRegistry registry;  // the built-in speed table, in memory
  lyn::cVariControl vari(registry);
  cSpeed speedLink(vari);
  lyn::cAudioPlaybackSystem player(
      lyn::cPhraseAudioHandler::fncCreate(lyn::eAudioRole::Book, virtualClock), &speedLink);
  vari.subSetBookPlayer(&player);
  vari.subSetSpeed(speed);
  lyn::cPositionCheckTimer timer(virtualClock);
  timer.subAttach(player);
  player.plVolume(volume);  // kept until the file is open ("No file loaded" meanwhile)
  player.psFileName(file);
  if (!player.mbAudioFileLoaded) {
    std::cerr << "lyn-play: " << file << ": " << player.msErrorMsg << '\n';
    return 1;
  }
  std::cerr << "lyn-play: " << file << ", " << player.pdDuration() << " s\n";
  cWatcher watcher;
  player.subAddListener(watcher);
  if (end >= 0 && !player.fncbSetMark(end)) return 1;
  if (begin > 0) player.pdPosition(begin);
  if (!player.fncbPlay()) return 1;
  while (!watcher.bolDone) {
    timer.subTick();
    if (virtualClock == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  player.fncbPause();
  return 0;
}
