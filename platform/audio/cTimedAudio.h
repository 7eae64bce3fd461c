#pragma once
// Frames on their way to the sink, each stretch tagged with the stretch of the file it stands
// for. At recorded speed a stretch of n frames stands for n frames of the file; the speed stage
// makes stretches that stand for more (faster) or fewer (slower) frames of the file, and pause
// shortening makes jumps. The position heard is read from these tags.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lyn {

struct TimedStretch {
  int64_t frames;     // frames of output
  int64_t fileStart;  // first file frame it stands for
  int64_t fileEnd;    // one past the last
};

class cTimedAudio {
 public:
  explicit cTimedAudio(int channels = 1) : mChannels(channels) {}

  void subReset(int channels) {
    mChannels = channels;
    subClear();
  }
  void subClear() {
    mSamples.clear();
    mStretches.clear();
    mTaken = 0;
    mTakenStretch = 0;
    mTakenInStretch = 0;
  }
  // Appends frames standing for [fileStart, fileEnd); joins a stretch that continues the last
  // one at recorded speed.
  void subAppend(const int16_t* samples, int64_t frames, int64_t fileStart, int64_t fileEnd);

  bool fncbEmpty() const { return fncFrames() == 0; }
  int64_t fncFrames() const;
  int channels() const { return mChannels; }

  // Copies up to `frames` frames from the front into `out`, returning how many; `fileEnd` gets
  // the file position reached after the last frame taken. Taking stops where the file position
  // would pass `fileLimit` (exactly on that frame at recorded speed).
  int64_t fncTake(int16_t* out, int64_t frames, int64_t& fileEnd,
                  int64_t fileLimit = INT64_MAX);
  // Like fncTake, but within the current stretch only, so the frames taken stand for the
  // stretch [fileStart, fileEnd) of the file without a jump.
  int64_t fncTakeRun(int16_t* out, int64_t frames, int64_t& fileStart, int64_t& fileEnd);
  // Moves everything, tags included, to the end of `out`.
  void subMoveTo(cTimedAudio& out);
  // The file position of the next frame to be taken (or the end of the last stretch).
  int64_t fncNextFilePosition() const;

 private:
  void subCompact();

  int mChannels;
  std::vector<int16_t> mSamples;
  std::vector<TimedStretch> mStretches;
  size_t mTaken = 0;            // frames taken from the front of mSamples
  size_t mTakenStretch = 0;     // index of the first stretch not wholly taken
  int64_t mTakenInStretch = 0;  // frames taken from it
};

}  // namespace lyn
