#pragma once
// "No sound device": said once for the whole program, however many players (the book's and the
// prompts') find the device missing and fall back to the null sink. The program makes one and
// lends it to all its players; a player without one warns on its own.

#include <atomic>
#include <ostream>

namespace lyn {

class cSoundDeviceNotice {
 public:
  explicit cSoundDeviceNotice(std::ostream& err) : mErr(err) {}

  void subSay() {
    if (!mbSaid.exchange(true)) mErr << kText << '\n';
  }
  bool fncbSaid() const { return mbSaid; }

  static constexpr const char* kText = "LYN Reader: the sound device could not be opened; playing without sound";

 private:
  std::ostream& mErr;
  std::atomic<bool> mbSaid{false};
};

}  // namespace lyn
