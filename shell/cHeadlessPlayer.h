#pragma once
// Plays a whole book without a window: `lyn-reader --play BOOK_FOLDER [--from N] [--speed STEP]
// [--audio sdl|null|wav:PATH] [--fast]`.
//
// The book is loaded with an NCC reader and played continuously from navigation point N
// (default 1) to the end of the book, through a small loop that pumps the message queue ("START"
// starts the book player, "STOP" pauses it) and ticks the playback poll every 10 ms. One line is
// written to `out` for each navigation point as it becomes current: its number, its class (for a
// group "group") and its caption ("3 heading2 What is DAISY?").
//
// --speed plays at a step of the speed table (default 5), through the same speed tables and
// settings as the window: the rows of the user's settings, written with the built-in rows when
// missing. A step that is no whole number, is given twice or is past the table's last row is a
// bad argument (status 2).
//
// With --fast the null or WAV sink runs on a virtual clock as fast as the machine allows; the
// sound card always plays in real time. With "--audio wav:-" the WAV goes to standard output (to
// pipe a book into an encoder) and the lines above go to `err`; a FIFO or a device is written as
// a stream, never replaced (see cWavSink.h).
//
// Errors name the file and the system's reason where the reader knows them. A volume of a
// multi-volume set plays to the point that lies on another volume, and says which one.
//
// Exit status (fncRun):
//   0  the book (or this volume of it) played to its end without an error
//   1  the book did not load, point N does not exist or cannot be played, the reader reported
//      an error while playing (each is written to `err` with its message and location), or
//      playback stopped before the end of the book, or the WAV output could not be opened or
//      written
//   2  bad arguments (fncParseArguments), or a --speed step past the last row of the table

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "engine/iNCCReaderListener.h"
#include "queue/iMessageDispatcher.h"

namespace lyn {

class cAudioPlaybackSystem;
class cNCCReader;

struct cHeadlessOptions {
  std::string sBookFolder;    // the book's folder, or its NCC file
  int32_t lFrom = 1;          // the navigation point to start from
  std::string sAudio;         // "sdl", "null", "wav:PATH"; empty: as LYN_AUDIO says
  // The step of the speed table to play at; 5 when not given, so that what is written never
  // depends on the step the user last chose in the window.
  std::optional<int32_t> lSpeed{};
  // The settings file whose speed table is used; empty: the user's (as the window reads it).
  std::string sSettingsFile{};
  bool bolFast = false;
};

class cHeadlessPlayer final : private iNCCReaderListener, private iMessageDispatcher {
 public:
  cHeadlessPlayer(std::ostream& out, std::ostream& err) : mOut(out), mErr(err), mText(&out) {}

  // The arguments after "--play"; nothing (and `error`) when they are not understood.
  static std::optional<cHeadlessOptions> fncParseArguments(const std::vector<std::string>& args,
                                                           std::string& error);
  // "lyn-reader --play BOOK_FOLDER [...]", for a usage line.
  static const char* fncUsage();

  int fncRun(const cHeadlessOptions& options);

 private:
  void evError() override;
  void evTocPositionChanged(int32_t ilTocItem) override;
  bool fncbDispatch(cMessage& message) override;
  void subPrintPoint(int32_t ilTocItem);
  void subPrintError(const std::string& what);

  std::ostream& mOut;
  std::ostream& mErr;
  std::ostream* mText;  // where the navigation points go: mOut, or mErr when the WAV is stdout
  cNCCReader* mReader = nullptr;
  cAudioPlaybackSystem* mPlayer = nullptr;
  int32_t mlPrinted = 0;
  bool mbEnded = false;
  bool mbFailed = false;
};

}  // namespace lyn
