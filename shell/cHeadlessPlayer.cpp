#include "shell/cHeadlessPlayer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <thread>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cPositionCheckTimer.h"
#include "audio/cVariControl.h"
#include "audio/iPlaybackSpeed.h"
#include "engine/cNCCReader.h"
#include "markup/cDTBData.h"
#include "platform/audio/AudioSinks.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/audio/cWavSink.h"
#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "platform/registry/cRegistry.h"
#include "queue/cMessageQueue.h"
#include "shell/cApplication.h"
#include "shell/iFrontEnd.h"

namespace lyn {

namespace {

// Ticks without playing, with nothing queued, after which playback counts as stopped.
constexpr int kStalledTicks = 200;
// The longest jump of the virtual clock in fast play, and the longest sleep in real time (half
// the audio engine's buffer, which a sink with no device of its own drains only when looked at:
// the audio thread refills it once half is gone, so each look finds enough).
constexpr int32_t kLongestFastStepMs = 250;
constexpr int32_t kLongestSleepMs = 2000;

// The time until the end of the clip (the mark, or the end of the file) in milliseconds of the
// clock; at `tempo` the file passes that many times faster than the clock. Nothing while no clip
// plays.
std::optional<double> fncTimeToClipEnd(cAudioPlaybackSystem& player, double tempo) {
  if (player.mlCurrentAudioState != cAudioPlaybackSystem::kPlaying || !player.mbAudioFileLoaded)
    return std::nullopt;
  const double end = player.mbMarkSet ? player.mdMarkPosition : player.pdDuration();
  return (end - player.pdPosition()) * 1000.0 / std::max(tempo, 1.0);
}

// How far the virtual clock may move at once: whole ticks up to the tick before the end of the
// clip, at least one tick, at most kLongestFastStepMs.
int32_t fncFastStep(cAudioPlaybackSystem& player, int32_t tickMs, double tempo) {
  const std::optional<double> ahead = fncTimeToClipEnd(player, tempo);
  if (!ahead) return tickMs;
  const auto ticks = static_cast<int32_t>(*ahead / tickMs) - 1;
  return std::clamp(ticks, 1, std::max(1, kLongestFastStepMs / tickMs)) * tickMs;
}

// How long real-time play may sleep: whole ticks up to the first tick at or after the end of the
// clip, so that one wake finds the clip ended (still within one tick of its end), at most
// kLongestSleepMs.
int32_t fncSleepStep(cAudioPlaybackSystem& player, int32_t tickMs, double tempo) {
  const std::optional<double> ahead = fncTimeToClipEnd(player, tempo);
  if (!ahead) return tickMs;
  const auto ticks = static_cast<int32_t>(std::ceil(std::max(*ahead, 0.0) / tickMs));
  return std::clamp(ticks, 1, std::max(1, kLongestSleepMs / tickMs)) * tickMs;
}

// The folder and the NCC file of a book given as its folder or as its NCC; on failure `why`
// says what is wrong with it.
bool fncbFindNcc(const std::string& given, std::string& folder, std::string& ncc, std::string& why) {
  std::error_code ec;
  std::filesystem::path path = given;
  if (auto real = fncResolvePathIgnoringCase(path)) path = *real;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec) {
    why = "\"" + given + "\": " + ec.message();
    return false;
  }
  if (std::filesystem::is_regular_file(status)) {
    folder = path.parent_path().empty() ? "." : path.parent_path().string();
    ncc = path.filename().string();
    return true;
  }
  if (!std::filesystem::is_directory(status)) {
    why = "\"" + given + "\": neither a book folder nor an NCC file";
    return false;
  }
  folder = path.string();
  // Listed once, through the iterator, so that a folder that cannot be read says why.
  std::vector<std::string> names;
  for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  if (ec) {
    why = "cannot read the folder \"" + given + "\": " + ec.message();
    return false;
  }
  std::sort(names.begin(), names.end());
  for (const char* name : {"ncc.html", "ncc.htm"}) {
    for (const std::string& entry : names) {
      if (fncEqualsIgnoringCase(entry, name)) {
        ncc = entry;
        return true;
      }
    }
  }
  why = "no NCC (ncc.html or ncc.htm) in \"" + given + "\"";
  return false;
}

// " (file: reason)" when the reader knows the file and the reason of its last error.
std::string fncDetail(const cNCCReader& reader) {
  return reader.sErrorDetail.empty() ? std::string() : ": " + reader.sErrorDetail;
}

// Playing a book this way has no front end: nothing is shown but the points printed here.
class cNoFrontEnd final : public iFrontEnd {
 public:
  bool fncbTurn(cApplication&) override { return false; }
};

}  // namespace

const char* cHeadlessPlayer::fncUsage() {
  return "lyn-reader --play BOOK_FOLDER [--from N] [--speed STEP] [--audio sdl|null|wav:PATH] "
         "[--fast]";
}

std::optional<cHeadlessOptions> cHeadlessPlayer::fncParseArguments(
    const std::vector<std::string>& args, std::string& error) {
  cHeadlessOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--from" && hasValue) {
      const std::string& value = args[++i];
      size_t used = 0;
      long n = 0;
      try {
        n = std::stol(value, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used != value.size() || n < 1 || n > INT32_MAX) {
        error = "--from needs a navigation point number, not \"" + value + "\"";
        return std::nullopt;
      }
      options.lFrom = static_cast<int32_t>(n);
    } else if (arg == "--speed" && hasValue) {
      const std::string& value = args[++i];
      if (options.lSpeed) {
        error = "--speed is given twice";
        return std::nullopt;
      }
      int32_t step = -1;
      const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), step);
      if (failure != std::errc() || end != value.data() + value.size() || step < 0) {
        error = "--speed needs a step of the speed table (0, 1, ...), not \"" + value + "\"";
        return std::nullopt;
      }
      options.lSpeed = step;
    } else if (arg == "--audio" && hasValue) {
      options.sAudio = args[++i];
      if (options.sAudio != "sdl" && options.sAudio != "null" &&
          (options.sAudio.rfind("wav:", 0) != 0 || options.sAudio.size() == 4)) {
        error = "--audio takes sdl, null or wav:PATH, not \"" + options.sAudio + "\"";
        return std::nullopt;
      }
    } else if (arg == "--fast") {
      options.bolFast = true;
    } else if (!arg.empty() && arg[0] != '-' && options.sBookFolder.empty()) {
      options.sBookFolder = arg;
    } else {
      error = "unknown or incomplete option \"" + arg + "\"";
      return std::nullopt;
    }
  }
  if (options.sBookFolder.empty()) {
    error = "no book folder given";
    return std::nullopt;
  }
  return options;
}

void cHeadlessPlayer::subPrintError(const std::string& what) {
  mErr << "lyn-reader: " << what << '\n';
}

void cHeadlessPlayer::subPrintPoint(int32_t ilTocItem) {
  if (ilTocItem == mlPrinted || !mReader) return;
  if (ilTocItem < 1 || ilTocItem > mReader->lNumberOfTocItems()) return;
  mlPrinted = ilTocItem;
  const cTocItem& item = *mReader->pToc(ilTocItem);
  const std::string& kind = !item.sClass.empty() ? item.sClass
                            : !item.sSubClass.empty() ? item.sSubClass
                                                      : std::string("group");
  // Each line leaves at once, also into a pipe: whoever reads it follows the book as it plays.
  *mText << ilTocItem << ' ' << kind << ' ' << item.sCaption << '\n' << std::flush;
}

void cHeadlessPlayer::evTocPositionChanged(int32_t ilTocItem) { subPrintPoint(ilTocItem); }

void cHeadlessPlayer::evError() {
  if (mReader->fncbAtEndOfBook()) {
    mbEnded = true;
    return;
  }
  mbFailed = true;
  const int32_t number = mReader->lErrorNumber;
  std::string what = "error " + std::to_string(number) + ": " + mReader->sErrorMsg + " (" +
                     mReader->sErrorLocation + ")";
  const cSmilPlayer& smil = mReader->clsSmilPlayer();
  if (number == 1 && !smil.sErrorMsg.empty() && mReader->sErrorDetail.empty())
    what += ": " + smil.sErrorMsg + " (" + smil.sErrorLocation + ")";
  subPrintError(what + fncDetail(*mReader));
}

bool cHeadlessPlayer::fncbDispatch(cMessage& message) {
  if (!mPlayer) return false;
  const std::string name = fncFoldCase(message.fncgetMessageName());
  if (name == "start") mPlayer->fncbPlay();
  else if (name == "stop") mPlayer->fncbPause();
  return false;
}

int cHeadlessPlayer::fncRun(const cHeadlessOptions& options) {
  mlPrinted = 0;
  mbEnded = false;
  mbFailed = false;
  std::string folder, ncc, why;
  if (!fncbFindNcc(options.sBookFolder, folder, ncc, why)) {
    subPrintError(why);
    return 1;
  }

  const AudioChoice choice =
      options.sAudio.empty() ? fncAudioChoiceFromEnvironment() : fncParseAudioChoice(options.sAudio);
  bool fast = options.bolFast;
  if (fast && choice.kind == AudioChoice::eKind::Sdl) {
    subPrintError("--fast plays only to the null or the WAV sink; playing in real time");
    fast = false;
  }
  cVirtualClock clock;
  cVirtualClock* pacing = fast ? &clock : nullptr;
  // The speed tables as the window has them: the rows of the user's settings.
  cRegistry settings(options.sSettingsFile.empty() ? cRegistry::fncDefaultFile()
                                                   : std::filesystem::path(options.sSettingsFile));
  cVariControl vari(settings);
  const int32_t step = options.lSpeed.value_or(5);
  if (step > vari.fnclItems() || !vari.fncRow(step)) {
    subPrintError("--speed " + std::to_string(step) + ": the speed table has the steps 0 to " +
                  std::to_string(vari.fnclItems()));
    return 2;
  }
  const double tempo = (*vari.fncRow(step))[0] / 100.0;
  std::unique_ptr<iAudioSink> sink;
  cWavSink* wav = nullptr;  // owned by the player's engine, which keeps a sink that started
  mText = &mOut;
  if (choice.kind == AudioChoice::eKind::Wav) {
    auto wavSink = std::make_unique<cWavSink>(choice.path, pacing);
    std::string error;
    if (!wavSink->fncbOpenOutput(error)) {
      subPrintError("cannot write the audio to " + error);
      return 1;
    }
    if (wavSink->fncbStreaming() && choice.path == "-") mText = &mErr;
    wav = wavSink.get();
    sink = std::move(wavSink);
  } else {
    sink = fncMakeAudioSink(choice, "", pacing);
  }
  // The program's composition root makes the player (on the speed tables of the settings read
  // above), its timer, the queue and the drives.
  cApplicationOptions parts;
  parts.bookSink = std::move(sink);
  parts.clock = pacing;
  parts.bolVirtualClock = fast;
  parts.registryFile = settings.fncFile();
  cNoFrontEnd noFrontEnd;
  cApplication app(std::move(parts), noFrontEnd);
  const cPlaybackParts engine = app.fncStartPlaybackOnly();
  cAudioPlaybackSystem& player = engine.bookPlayer;
  cPositionCheckTimer& timer = engine.timer;
  cMessageQueue& queue = engine.queue;
  engine.speed.subSetSpeed(step);
  player.plVolume(10);
  queue.subSetDispatcher(this);
  cNCCReader reader(queue);
  reader.oDrives = &engine.drives;
  mReader = &reader;
  mPlayer = &player;
  reader.subAddListener(*this);
  reader.ctlDXM(&player);

  const auto finish = [&](int status) {
    std::string error;
    if (wav != nullptr && !wav->fncbClose(error)) {
      subPrintError("the audio could not be written: " + error);
      status = 1;
    }
    reader.subRemoveListener(*this);
    reader.ctlDXM(nullptr);
    queue.subSetDispatcher(nullptr);
    mReader = nullptr;
    mPlayer = nullptr;
    return status;
  };

  if (!reader.fncbLoadBook(folder, ncc)) {
    if (reader.lErrorNumber != 0) {
      subPrintError("cannot load \"" + options.sBookFolder + "\": " + reader.sErrorMsg + " (" +
                    reader.sErrorLocation + ")" + fncDetail(reader));
    } else {
      subPrintError("cannot load \"" + options.sBookFolder +
                    "\": its first navigation point leads to no audio that plays");
    }
    return finish(1);
  }
  mbFailed = false;  // reports while loading that did not stop it are not playback errors
  if (options.lFrom > reader.lNumberOfTocItems()) {
    subPrintError("the book has " + std::to_string(reader.lNumberOfTocItems()) +
                  " navigation points; there is no point " + std::to_string(options.lFrom));
    return finish(1);
  }
  if (!reader.fncbPlayTocItem(options.lFrom)) {
    subPrintError("cannot play navigation point " + std::to_string(options.lFrom) + ": " +
                  reader.sErrorMsg + " (" + reader.sErrorLocation + ")" + fncDetail(reader));
    return finish(1);
  }
  subPrintPoint(options.lFrom);

  int stalled = 0;
  auto next = std::chrono::steady_clock::now();
  while (!mbEnded) {
    queue.subProcessQue();
    if (pacing) {
      // As fast as possible: the clock jumps to just before the clip's end in one step, and
      // the last stretch goes in ticks, so an end is noticed within one tick as in real time.
      clock.subAdvance(fncFastStep(player, timer.fnclInterval(), tempo));
      player.subDoYourEvents();
    } else {
      timer.subTick();
      // Nothing but the clip's end can happen while a clip plays: the poll sleeps through the
      // clip to the first tick after its end, so an end is still noticed within one tick and
      // the process wakes about once a phrase, not a hundred times a second.
      const int32_t tickMs = timer.fnclInterval();
      next += std::chrono::milliseconds(queue.hasNext() ? tickMs : fncSleepStep(player, tickMs, tempo));
      std::this_thread::sleep_until(next);
    }
    const bool idle = player.mlCurrentAudioState != cAudioPlaybackSystem::kPlaying && !queue.hasNext();
    stalled = idle ? stalled + 1 : 0;
    if (idle && !mbEnded) {
      // A multi-volume set: this volume has played to the point that lies on the next one.
      if (const int32_t volume = reader.fnclWaitingForVolume()) {
        const cDTBData& files = reader.clsDTBData();
        *mText << "volume " << files.lDiscNumber << " of " << files.lNumberOfDiscs
             << " ends here; the book goes on on volume " << volume << '\n';
        player.fncbPause();
        return finish(mbFailed ? 1 : 0);
      }
    }
    if (stalled > kStalledTicks && !mbEnded) {
      subPrintError("playback stopped before the end of the book, at navigation point " +
                    std::to_string(reader.lCurrentTocItem));
      return finish(1);
    }
  }
  player.fncbPause();
  return finish(mbFailed ? 1 : 0);
}

}  // namespace lyn
