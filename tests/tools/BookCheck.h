#pragma once
// Reads a DAISY 2.02 book the way a player would need it and lists what is wrong with it:
// every NCC link must reach a par, every par's text an id of its content file and its audio a
// file that lasts at least to the clip's end; the metadata must agree with the points.
// Deliberately independent of the player's own markup code (a second opinion).

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/audio/AudioDecoders.h"
#include "platform/storage/cAtomicFile.h"

namespace lyn::testing {

struct CheckedPoint {
  std::string sTag;    // h1..h6, span
  std::string sClass;  // the class attribute, "" when none
  std::string sCaption;
  std::string sSmil;
  std::string sPar;
};

struct CheckedPar {
  std::string sId;
  std::string sText;  // file#id
  std::string sAudio;
  bool bolClipTimes = false;
  std::string sBegin, sEnd;  // as written
  double dBegin = 0, dEnd = 0;
};

struct CheckedBook {
  std::map<std::string, std::string> metas;
  std::vector<CheckedPoint> points;
  std::map<std::string, std::vector<CheckedPar>> pars;  // per SMIL file, in order
  std::vector<std::string> smilOrder;
  std::vector<std::string> problems;
  double dClipSeconds = 0;
  long lPars = 0;
  std::string sNcc;
};

inline double fncCheckClock(std::string v) {
  if (v.rfind("npt=", 0) == 0) v = v.substr(4);
  if (v.find(':') != std::string::npos) {
    double total = 0;
    size_t start = 0;
    while (true) {
      const size_t colon = v.find(':', start);
      total = total * 60 + std::stod(v.substr(start, colon - start));
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
    return total;
  }
  if (!v.empty() && v.back() == 's') v.pop_back();
  return std::stod(v);
}

inline double fncAudioSeconds(const std::filesystem::path& file) {
  std::string error;
  auto decoder = fncOpenAudioDecoder(file.string(), error);
  if (!decoder) return -1;
  decoder->subMeasureLength();
  return double(decoder->fncLength()) / decoder->fncFormat().rate;
}

inline CheckedBook fncCheckBook(const std::filesystem::path& folder,
                                const std::string& nccName = "ncc.html") {
  CheckedBook b;
  auto problem = [&](const std::string& p) { b.problems.push_back(p); };
  if (!fncReadWholeFile(folder / nccName, b.sNcc)) {
    problem("no " + nccName);
    return b;
  }
  if (b.sNcc.find("system-required") != std::string::npos) problem("system-required in NCC");
  static const std::regex kMeta(R"re(<meta name="([^"]+)" content="([^"]*)")re");
  for (auto it = std::sregex_iterator(b.sNcc.begin(), b.sNcc.end(), kMeta);
       it != std::sregex_iterator(); ++it)
    b.metas[(*it)[1]] = (*it)[2];
  static const std::regex kPoint(
      R"re(<(h[1-6]|span)((?: class="[^"]*")?) id="[^"]+"><a href="([^"#]+)#([^"]+)">([^<]*)</a>)re");
  for (auto it = std::sregex_iterator(b.sNcc.begin(), b.sNcc.end(), kPoint);
       it != std::sregex_iterator(); ++it) {
    std::string cls = (*it)[2];
    if (!cls.empty()) cls = cls.substr(8, cls.size() - 9);
    b.points.push_back({(*it)[1], cls, (*it)[5], (*it)[3], (*it)[4]});
  }

  std::map<std::string, std::set<std::string>> contentIds;
  std::map<std::string, double> audioLength;
  static const std::regex kPar(
      R"re(<par endsync="last" id="([^"]+)">\s*<text src="([^"]+)" id="[^"]+" />\s*<audio src="([^"]+)"(?: clip-begin="([^"]+)" clip-end="([^"]+)")? id="[^"]+" />\s*</par>)re");
  static const std::regex kId(R"re(id="([^"]+)")re");
  for (const CheckedPoint& p : b.points) {
    if (b.pars.count(p.sSmil)) continue;
    std::string smil;
    if (!fncReadWholeFile(folder / p.sSmil, smil)) {
      problem("missing " + p.sSmil);
      b.pars[p.sSmil];
      continue;
    }
    b.smilOrder.push_back(p.sSmil);
    if (smil.find("system-required") != std::string::npos) problem("system-required in " + p.sSmil);
    auto& list = b.pars[p.sSmil];
    for (auto it = std::sregex_iterator(smil.begin(), smil.end(), kPar);
         it != std::sregex_iterator(); ++it) {
      CheckedPar par;
      par.sId = (*it)[1];
      par.sText = (*it)[2];
      par.sAudio = (*it)[3];
      par.bolClipTimes = (*it)[4].matched;
      if (par.bolClipTimes) {
        par.sBegin = (*it)[4];
        par.sEnd = (*it)[5];
        par.dBegin = fncCheckClock(par.sBegin);
        par.dEnd = fncCheckClock(par.sEnd);
        if (!(par.dEnd > par.dBegin)) problem(p.sSmil + "#" + par.sId + ": empty clip");
      }
      list.push_back(par);
    }
    if (list.empty()) problem(p.sSmil + ": no par");
    for (CheckedPar& par : list) {
      ++b.lPars;
      const size_t hash = par.sText.find('#');
      const std::string file = par.sText.substr(0, hash);
      if (!contentIds.count(file)) {
        std::string html;
        if (!fncReadWholeFile(folder / file, html)) problem("missing content " + file);
        auto& ids = contentIds[file];
        for (auto it = std::sregex_iterator(html.begin(), html.end(), kId);
             it != std::sregex_iterator(); ++it)
          ids.insert((*it)[1]);
      }
      if (hash == std::string::npos || !contentIds[file].count(par.sText.substr(hash + 1)))
        problem("text " + par.sText + " leads nowhere");
      if (!audioLength.count(par.sAudio)) audioLength[par.sAudio] = fncAudioSeconds(folder / par.sAudio);
      const double length = audioLength[par.sAudio];
      if (length < 0) problem("audio " + par.sAudio + " does not decode");
      if (par.bolClipTimes) {
        b.dClipSeconds += par.dEnd - par.dBegin;
        if (length >= 0 && par.dEnd > length + 0.01)
          problem(p.sSmil + "#" + par.sId + ": clip ends after its audio");
      } else {
        b.dClipSeconds += std::max(0.0, length);
      }
    }
  }
  for (const CheckedPoint& p : b.points) {
    bool found = false;
    for (const CheckedPar& par : b.pars[p.sSmil]) found = found || par.sId == p.sPar;
    if (!found) problem("point " + p.sCaption + " leads nowhere");
  }
  if (b.metas["dc:format"] != "Daisy 2.02") problem("dc:format");
  if (b.metas["ncc:tocItems"] != std::to_string(b.points.size())) problem("ncc:tocItems");
  for (const char* name : {"dc:title", "dc:identifier", "ncc:charset", "ncc:totalTime",
                           "ncc:setInfo", "ncc:pageNormal", "ncc:pageFront", "ncc:multimediaType"})
    if (!b.metas.count(name)) problem(std::string("no meta ") + name);
  return b;
}

}  // namespace lyn::testing
