#pragma once
// MP3 files from samples, through the lame program: mono, 22,050 Hz, variable bit rate (about
// 50 kbit/s for speech), with the encoder-delay tag that lets a gapless decoder put every sample
// back where it was, so clip times measured on the samples hold in the MP3.
//
// fncbEncode writes "<path>.wav.tmp", runs lame into "<path>.tmp" and renames that to `path`;
// the temporary files are removed in every case. False, with `error`, when the WAV cannot be
// written, lame cannot be started or ends with a failure, or the rename fails; an older file at
// `path` is then left as it was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lyn::tools {

class cMp3Encoder {
 public:
  explicit cMp3Encoder(std::string lamePath = "lame") : mLame(std::move(lamePath)) {}
  bool fncbEncode(const std::vector<int16_t>& samples, int rate,
                  const std::filesystem::path& path, std::string& error) const;

 private:
  std::string mLame;
};

}  // namespace lyn::tools
