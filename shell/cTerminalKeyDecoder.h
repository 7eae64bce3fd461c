#pragma once
// Turns the bytes a text terminal sends into key presses and releases with the key codes of the
// key logic. Understands the escape sequences of the Linux console and of xterm-compatible
// terminals (arrows, Home, End, Page Up and Down, Insert, Delete, F1 to F12, Shift+Tab, Alt with
// a key, xterm's modifier parameters) and the kitty keyboard protocol's key events.
//
// A lone ESC is the Escape key once 50 ms have passed without the rest of a sequence.
//
// Terminals send no key release. The arrows (the only keys whose hold means something) count as
// held while the terminal repeats them: released when no repeat has come within the first wait
// D after the press, or within R after the last repeat. Every other key is pressed and released
// at once, and each repeat of it is another press. Once the terminal has sent a kitty event with
// its type (press, repeat, release), releases are taken from the terminal instead.
//
// Alternatives for the function keys that desktops and terminals often keep for themselves:
// Alt+1 .. Alt+9 are F1 .. F9, Alt+0 is F10, Alt+- is F11 and Alt+= is F12.
//
// Times are milliseconds of any steady clock, given by the caller (tests give their own).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/KeyCodes.h"

namespace lyn {

struct cKeyEvent {
  bool bolDown = true;
  cKey key;
  bool operator==(const cKeyEvent& o) const {
    return bolDown == o.bolDown && key.lCode == o.key.lCode && key.lShift == o.key.lShift && key.cChar == o.key.cChar;
  }
};

class cTerminalKeyDecoder {
 public:
  static constexpr int64_t kLoneEscapeMs = 50;

  cTerminalKeyDecoder(int64_t firstWaitMs = 700, int64_t repeatGapMs = 100)
      : mlFirstWait(firstWaitMs), mlRepeatGap(repeatGapMs) {}

  // Bytes read at `nowMs`.
  void subFeed(std::string_view bytes, int64_t nowMs);
  // Lets time pass: a pending ESC becomes Escape, a held arrow without repeats is released.
  void subTick(int64_t nowMs);
  // The events decoded so far, in order; the list is emptied.
  std::vector<cKeyEvent> fncTake();
  // When the next timed event may fall due (for the caller's wait); nothing when none can.
  std::optional<int64_t> fncNextDeadline() const;
  // Whether the terminal reports releases itself (kitty protocol seen).
  bool fncbTerminalReleases() const { return mbKittyEvents; }

 private:
  void subDecode(int64_t nowMs, bool final);
  // One sequence at the start of mBuffer: its length, or 0 when it may still be incomplete.
  size_t fncSequence(int64_t nowMs, bool final);
  void subKey(cKey key, int64_t nowMs, int eventType = 0);
  void subReleaseHeld();

  int64_t mlFirstWait;
  int64_t mlRepeatGap;
  std::string mBuffer;
  int64_t mlBufferSince = 0;
  std::vector<cKeyEvent> mEvents;
  std::optional<cKey> mHeld;
  int64_t mlHeldDeadline = 0;
  bool mbKittyEvents = false;
};

}  // namespace lyn
