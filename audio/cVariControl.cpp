#include "audio/cVariControl.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <charconv>
#include <iostream>

#include "audio/cAudioPlaybackSystem.h"
#include "platform/files/TextCase.h"
#include "platform/registry/cRegistry.h"

namespace lyn {
namespace {

constexpr const char* kKey = "software\\LYN_Reader";
constexpr int32_t kMaxItems = 255;

constexpr const char* kSetA[17] = {
    "60, 2500, 100, 20, 1000, 100",  "75, 3000, 100, 20, 1000, 100",
    "80, 3000, 100, 20, 1000, 100",  "85, 3000, 100, 20, 1000, 100",
    "90, 3000, 100, 20, 1000, 100",  "100, 3000, 100, 20, 1000, 100",
    "105, 3000, 100, 20, 1000, 110", "110, 3000, 100, 25, 1000, 150",
    "115, 3000, 100, 25, 1000, 150", "120, 3000, 100, 25, 1000, 150",
    "125, 3000, 100, 30, 1000, 150", "130, 3000, 100, 30, 1000, 150",
    "135, 3000, 100, 30, 1000, 175", "140, 3000, 100, 30, 1000, 175",
    "150, 3000, 100, 30, 1000, 200", "200, 3000, 100, 30, 500, 500",
    "250, 1500, 100, 30, 500, 500"};
constexpr const char* kSetB[17] = {
    "60, 2500, 100, 20, 1000, 100",  "75, 3000, 100, 20, 1000, 100",
    "80, 3000, 100, 20, 1000, 100",  "85, 3000, 100, 20, 1000, 100",
    "90, 3000, 100, 20, 1000, 100",  "100, 3000, 100, 20, 1000, 100",
    "100, 3000, 120, 20, 1000, 110", "100, 3000, 140, 25, 1000, 150",
    "100, 3000, 170, 25, 1000, 150", "100, 3000, 200, 25, 1000, 150",
    "105, 3000, 250, 30, 1000, 150", "110, 3000, 300, 30, 1000, 150",
    "115, 3000, 200, 30, 1000, 175", "130, 3000, 200, 30, 1000, 175",
    "150, 3000, 200, 30, 1000, 200", "200, 3000, 300, 30, 500, 500",
    "250, 1500, 150, 30, 500, 500"};

std::string fncSpeedName(int32_t step) { return "Vari\\Speed" + std::to_string(step); }

}  // namespace

cVariControl::cVariControl(cRegistry& registry, int32_t processorLevel, int32_t osCode)
    : mRegistry(registry),
      mlOsCode(osCode),
      mlProcessorClass(fncProcessorClass(osCode, processorLevel)),
      mbSetB(fncbUsesSetB(mlProcessorClass, osCode)) {
  subReadTable();
  subSetSpeed(5);
  mlSpeed = 5;
}

int32_t cVariControl::fncPlatformProcessorLevel() {
#if defined(__x86_64__) || defined(__i386__)
  // The family as the processor reports it (what /proc/cpuinfo calls "cpu family"), asked of
  // the processor itself: reading /proc/cpuinfo costs the kernel a report on every processor.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0) {
    auto family = static_cast<int32_t>((eax >> 8) & 0xF);
    if (family == 0xF) family += static_cast<int32_t>((eax >> 20) & 0xFF);
    return family;
  }
#endif
  return 6;
}

int32_t cVariControl::fncProcessorClass(int32_t osCode, int32_t processorLevel,
                                        int32_t processorType) {
  if (osCode >= 1 && osCode <= 3) {
    // Rounded to the nearest whole number, halves to even.
    const int32_t difference = processorType - 286;
    int32_t quotient = difference / 100;
    const int32_t remainder = difference % 100;
    if (remainder > 50 || (remainder == 50 && quotient % 2 != 0)) ++quotient;
    if (remainder < -50 || (remainder == -50 && quotient % 2 != 0)) --quotient;
    return quotient;
  }
  return processorLevel - 2;
}

bool cVariControl::fncbUsesSetB(int32_t processorClass, int32_t osCode) {
  return processorClass == 4 || (processorClass == 3 && osCode >= 2);
}

const char* cVariControl::fncDefaultRowText(bool setB, int32_t ilStep) {
  if (ilStep < 0 || ilStep > 16) return nullptr;
  return setB ? kSetB[ilStep] : kSetA[ilStep];
}

std::optional<cVariControl::Row> cVariControl::fncParseRow(std::string_view text) {
  Row row{};
  for (int i = 0; i < 6; ++i) {
    std::string_view field;
    if (i < 5) {
      const auto comma = text.find(',');
      if (comma == std::string_view::npos) return std::nullopt;
      field = text.substr(0, comma);
      text.remove_prefix(comma + 1);
    } else {
      field = text;
    }
    field = fncTrimAsciiSpace(field);
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || ec != std::errc() || end != field.data() + field.size())
      return std::nullopt;
    if (i == 0 ? (value < 1 || value > 1000) : (value < -32768 || value > 32767))
      return std::nullopt;
    row[static_cast<size_t>(i)] = static_cast<int32_t>(value);
  }
  return row;
}

cVariControl::Row cVariControl::fncDefaultRow(int32_t ilStep) const {
  return *fncParseRow(fncDefaultRowText(mbSetB, ilStep));
}

bool cVariControl::fncbReadItems(int32_t& items) const {
  return mRegistry.fncReadValue("Vari\\Items", items, eRegistryRoot::CurrentUser, kKey);
}

void cVariControl::subWriteDefaults() {
  cRegistryBatch batch(mRegistry);
  mRegistry.subWriteValue("Vari\\Items", int32_t{15}, eRegistryRoot::CurrentUser, kKey);
  for (int32_t step = 0; step <= 15; ++step)
    mRegistry.subWriteValue(fncSpeedName(step), fncDefaultRowText(mbSetB, step),
                            eRegistryRoot::CurrentUser, kKey);
  mRegistry.subWriteValue("Vari\\SkimSpeed", fncDefaultRowText(mbSetB, 16),
                          eRegistryRoot::CurrentUser, kKey);
}

void cVariControl::subReadTable() {
  int32_t items = 15;
  bool builtIn = false;
  if (!fncbReadItems(items)) {
    subWriteDefaults();
    // One attempt only: a store that does not keep what was written leaves the built-in rows.
    if (!fncbReadItems(items)) {
      std::cerr << "LYN Reader: the speed table could not be stored; using the built-in one\n";
      builtIn = true;
      items = 15;
    }
  }
  if (items > kMaxItems) {
    std::cerr << "LYN Reader: \"Vari\\Items\" = " << items << " is too large; using "
              << kMaxItems << '\n';
    items = kMaxItems;
  }
  mlItems = items;
  mRows.assign(static_cast<size_t>(std::max(items + 1, 0)), std::nullopt);
  std::string malformed;
  for (int32_t step = 0; step <= items; ++step) {
    std::string text;
    std::optional<Row> row;
    if (!builtIn && mRegistry.fncReadValue(fncSpeedName(step), text, eRegistryRoot::CurrentUser, kKey))
      row = fncParseRow(text);
    else if (builtIn && step <= 15)
      row = fncDefaultRow(step);
    if (!row) {
      if (!builtIn) malformed += (malformed.empty() ? "" : ", ") + fncSpeedName(step);
      if (step <= 15) row = fncDefaultRow(step);
    }
    mRows[static_cast<size_t>(step)] = row;
  }
  std::string text;
  std::optional<Row> skim;
  if (!builtIn && mRegistry.fncReadValue("Vari\\SkimSpeed", text, eRegistryRoot::CurrentUser, kKey))
    skim = fncParseRow(text);
  if (!skim) {
    if (!builtIn) malformed += (malformed.empty() ? "" : ", ") + std::string("Vari\\SkimSpeed");
    skim = fncDefaultRow(16);
  }
  mSkimRow = *skim;
  if (!malformed.empty())
    std::cerr << "LYN Reader: speed rows missing or malformed, built-in rows used instead: "
              << malformed << '\n';
}

std::optional<cVariControl::Row> cVariControl::fncRow(int32_t ilStep) const {
  if (ilStep < 0 || ilStep > mlItems) return std::nullopt;
  return mRows[static_cast<size_t>(ilStep)];
}

void cVariControl::subApply(const std::optional<Row>& row) {
  if (!row || mBookPlayer == nullptr || !mBookPlayer->mdahAudioSystem) return;
  const Row& r = *row;
  try {
    mBookPlayer->mdahAudioSystem->SetVariParameters(
        static_cast<double>(r[0]), static_cast<int16_t>(r[1]), static_cast<int16_t>(r[2]),
        static_cast<int16_t>(r[3]), static_cast<int16_t>(r[4]), static_cast<int16_t>(r[5]));
  } catch (const std::exception&) {
  }
}

void cVariControl::subSetSpeed(int32_t ilStep) {
  if (ilStep < 0 || ilStep > mlItems) return;
  mlSpeed = ilStep;
  subApply(mRows[static_cast<size_t>(ilStep)]);
}

void cVariControl::subInitSkimSpeed() { subApply(mSkimRow); }

void cVariControl::subDeInitSkimSpeed() { subApply(fncRow(mlSpeed)); }

void cVariControl::subIncreaseSpeed() {
  if (mlSpeed < mlItems) ++mlSpeed;
  subSetSpeed(mlSpeed);
}

void cVariControl::subDecreaseSpeed() {
  if (mlSpeed > 0) --mlSpeed;
  subSetSpeed(mlSpeed);
}

}  // namespace lyn
