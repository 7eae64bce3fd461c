#include "tools/cSyntheticBook.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <vector>

#include "tools/cDaisyBookWriter.h"
#include "tools/cWavWriter.h"

namespace lyn::tools {

namespace {

constexpr int kPitches = 8;

std::string fncRoman(long n) {
  static const std::pair<int, const char*> kTable[] = {
      {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
      {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
  std::string out;
  for (const auto& [value, digits] : kTable) {
    while (n >= value) {
      out += digits;
      n -= value;
    }
  }
  return out;
}

std::string fncNumbered(const char* pattern, long n) {
  char name[64];
  std::snprintf(name, sizeof name, pattern, n);
  return name;
}

// One clip of tone `pitch`: a sine with 10 ms fades, its last 15 % silent.
std::vector<int16_t> fncToneClip(int pitch, size_t samples, int rate, bool silent) {
  std::vector<int16_t> clip(samples, 0);
  if (silent) return clip;
  const double frequency = 330.0 * std::pow(2.0, pitch / 8.0);
  const size_t sounding = samples * 85 / 100;
  const size_t fade = std::max<size_t>(1, std::min<size_t>(rate / 100, sounding / 2));
  for (size_t i = 0; i < sounding; ++i) {
    double gain = 0.3;
    if (i < fade) gain *= double(i) / fade;
    if (sounding - i < fade) gain *= double(sounding - i) / fade;
    clip[i] = int16_t(std::lround(32767.0 * gain *
                                  std::sin(2 * std::numbers::pi * frequency * double(i) / rate)));
  }
  return clip;
}

}  // namespace

bool cSyntheticBook::fncbBuild(const SyntheticOptions& o, DaisyBook& book, std::string& error) {
  if (o.lSmilFiles < 1 || o.lPars < o.lSmilFiles) {
    error = "need at least one SMIL file and at least one par per SMIL file";
    return false;
  }
  if (o.lPoints < o.lSmilFiles || o.lPoints > o.lPars) {
    error = "the number of points must lie between the number of SMIL files and of pars";
    return false;
  }
  if (o.lMaxLevel < 1 || o.lMaxLevel > 6 || o.dClipSeconds <= 0 || o.lSampleRate < 1000 ||
      o.lPageEvery < 0 || o.lExtrasEvery < 0 || o.lFrontPages < 0) {
    error = "bad option value";
    return false;
  }
  book = DaisyBook{};
  book.sTitle = o.sTitle;
  book.sIdentifier = "lyn-synthetic";
  book.sNarrator = "none";
  book.sNccName = o.sNccName;
  book.bolContentPerSection = o.bolContentPerSection;
  book.enClock = o.enClock;
  book.sections.resize(size_t(o.lSmilFiles));

  long phrase = 0, otherPoint = 0, heading = 0, page = 0, extra = 0, note = 0;
  const double d = o.dClipSeconds;
  for (long f = 0; f < o.lSmilFiles; ++f) {
    const long parsHere = (f + 1) * o.lPars / o.lSmilFiles - f * o.lPars / o.lSmilFiles;
    long pointsHere = (f + 1) * o.lPoints / o.lSmilFiles - f * o.lPoints / o.lSmilFiles;
    pointsHere = std::clamp(pointsHere, 1L, parsHere);
    std::vector<bool> isPoint(size_t(parsHere), false);
    for (long j = 0; j < pointsHere; ++j) isPoint[size_t(j * parsHere / pointsHere)] = true;

    const std::string sectionAudio =
        o.bolSharedAudio ? "audio.wav" : book.sFilePrefix + fncNumbered("%04ld.wav", f + 1);
    auto clipFor = [&](long j) {
      DaisyClip clip;
      ++phrase;
      if (o.bolNoClipTimes) {
        clip.sAudioFile = o.bolSharedAudio ? "audio.wav" : fncNumbered("a%ld.wav", phrase);
        clip.bolWhole = true;
        clip.dBegin = 0;
        clip.dEnd = d;
      } else {
        clip.sAudioFile = sectionAudio;
        clip.dBegin = double(j) * d;
        clip.dEnd = double(j + 1) * d;
      }
      return clip;
    };

    DaisySection& section = book.sections[size_t(f)];
    long levelStep = 0;  // sub-headings run 2, 3, ... afresh in every chapter
    for (long j = 0; j < parsHere; ++j) {
      DaisyBlock block;
      DaisyClip clip = clipFor(j);
      if (j == 0) {
        block.enKind = enBlockKind::Heading;
        block.lLevel = 1;
        if (f == 0) block.sClass = "title";
        block.phrases.push_back({f == 0 ? o.sTitle : fncNumbered("Chapter %ld", f + 1), clip});
      } else if (isPoint[size_t(j)]) {
        ++otherPoint;
        if (o.lPageEvery > 0 && otherPoint % o.lPageEvery == 0) {
          block.enKind = enBlockKind::Page;
          ++page;
          if (page <= o.lFrontPages) {
            block.enPage = enPageKind::Front;
            block.phrases.push_back({fncRoman(page), clip});
          } else {
            block.phrases.push_back({std::to_string(page - o.lFrontPages), clip});
          }
        } else if (o.lExtrasEvery > 0 && otherPoint % o.lExtrasEvery == 0) {
          switch (extra++ % 3) {
            case 0:
              block.enKind = enBlockKind::Sidebar;
              block.phrases.push_back({fncNumbered("Sidebar %ld.", extra), clip});
              break;
            case 1:
              block.enKind = enBlockKind::Prodnote;
              block.phrases.push_back({fncNumbered("Producer note %ld.", extra), clip});
              break;
            default:
              block.enKind = enBlockKind::Noteref;
              block.phrases.push_back({fncNumbered("Note reference %ld", extra), clip});
              // The next par, when it is no point, becomes the note itself.
              if (j + 1 < parsHere && !isPoint[size_t(j + 1)]) {
                block.sNoteId = fncNumbered("note%ld", ++note);
                section.blocks.push_back(std::move(block));
                DaisyBlock body;
                body.enKind = enBlockKind::Note;
                body.sId = fncNumbered("note%ld", note);
                ++j;
                body.phrases.push_back({fncNumbered("Note %ld.", note), clipFor(j)});
                section.blocks.push_back(std::move(body));
                continue;
              }
          }
        } else {
          block.enKind = enBlockKind::Heading;
          block.lLevel = o.lMaxLevel == 1 ? 1 : int(2 + levelStep++ % (o.lMaxLevel - 1));
          block.phrases.push_back({fncNumbered("Heading %ld", ++heading), clip});
        }
      } else {
        block.enKind = enBlockKind::Paragraph;
        block.phrases.push_back({fncNumbered("Phrase %ld.", phrase), clip});
        while (block.phrases.size() < 5 && j + 1 < parsHere && !isPoint[size_t(j + 1)]) {
          ++j;
          DaisyClip next = clipFor(j);
          block.phrases.push_back({fncNumbered("Phrase %ld.", phrase), next});
        }
      }
      section.blocks.push_back(std::move(block));
    }
  }
  return true;
}

bool cSyntheticBook::fncbMake(const SyntheticOptions& o, const std::filesystem::path& folder,
                              std::string& error) {
  DaisyBook book;
  if (!fncbBuild(o, book, error)) return false;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = folder.string() + ": " + ec.message();
    return false;
  }

  // Every audio file holds whole clips back to back; its length in clips is the largest clip
  // end that points into it.
  std::map<std::string, long> clipsPerFile;
  for (const DaisySection& section : book.sections)
    for (const DaisyBlock& block : section.blocks)
      for (const DaisyPhrase& phrase : block.phrases) {
        long& clips = clipsPerFile[phrase.clip.sAudioFile];
        clips = std::max(clips, std::lround(phrase.clip.dEnd / o.dClipSeconds));
      }
  const size_t clipSamples = size_t(std::lround(o.dClipSeconds * o.lSampleRate));
  std::vector<std::vector<int16_t>> tones;
  for (int pitch = 0; pitch < kPitches; ++pitch)
    tones.push_back(fncToneClip(pitch, clipSamples, o.lSampleRate, o.bolSilent));
  for (const auto& [name, clips] : clipsPerFile) {
    cWavWriter wav;
    if (!wav.fncbOpen(folder / name, o.lSampleRate, error)) return false;
    for (long k = 0; k < clips; ++k) {
      const auto& tone = tones[size_t(k % kPitches)];
      wav.subWrite(tone.data(), tone.size());
    }
    if (!wav.fncbClose(error)) return false;
  }

  cDaisyBookWriter writer;
  return writer.fncbWrite(book, folder, error);
}

}  // namespace lyn::tools
