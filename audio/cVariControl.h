#pragma once
// The speed tables: rows of six numbers, one per speed step, handed unchanged to the book
// player's control (SetVariParameters), plus the skim row used while fast forwarding.
//
// The rows live in the settings store under "software\LYN_Reader": "Vari\Items" (the top step
// N), "Vari\Speed0" .. "Vari\Speed<N>" and "Vari\SkimSpeed", each "a, b, c, d, e, f". When
// "Vari\Items" is missing the built-in rows are written first (set B when the processor class is
// 4, or 3 with an operating-system code of 2 or more; set A otherwise).
//
// A row means: tempo in percent of the recorded speed (the pitch stays); the longest pause kept
// (ms); how much pauses shorter than field 5 are shortened (percent: 100 keeps them, 200 halves
// them); the silence threshold (dB below the running speech level); the length (ms) from which a
// pause is long; how much long pauses are shortened (percent). See platform/audio/cPauseShortener.h.
//
// Errors (none stops anything; each kind is said once on stderr when the table is read):
//   a row that is missing, has fewer or more than six numbers, a field that is no whole number,
//   a tempo outside 1..1000 or another field outside -32768..32767
//                          -> the built-in row of that step is used (a step above 15 has none:
//                             applying it does nothing)
//   "Vari\Items" above 255 -> 255
//   the store cannot keep the written rows ("Vari\Items" still unreadable after writing)
//                          -> the built-in rows are used; no second attempt, so no endless loop
//   no book player, or no control on it -> applying a row does nothing

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lyn {

class cAudioPlaybackSystem;
class cRegistry;

class cVariControl {
 public:
  using Row = std::array<int32_t, 6>;

  // Reads the table, applies step 5 and makes 5 the current step. `processorLevel` is what the
  // platform reports (fncPlatformProcessorLevel); `osCode` is 0 on this platform.
  explicit cVariControl(cRegistry& registry, int32_t processorLevel = fncPlatformProcessorLevel(),
                        int32_t osCode = 0);

  // The main window's book player, borrowed; null when there is none.
  void subSetBookPlayer(cAudioPlaybackSystem* player) { mBookPlayer = player; }

  void subSetSpeed(int32_t ilStep);
  void subInitSkimSpeed();
  void subDeInitSkimSpeed();
  void subIncreaseSpeed();
  void subDecreaseSpeed();
  int32_t Speed() const { return mlSpeed; }

  // N: the steps are 0..N.
  int32_t fnclItems() const { return mlItems; }
  // The row of a step, or nothing (no such step, or a malformed row above step 15).
  std::optional<Row> fncRow(int32_t ilStep) const;
  const Row& fncSkimRow() const { return mSkimRow; }
  int32_t fnclProcessorClass() const { return mlProcessorClass; }

  // The x86 processor family (CPUID, as "cpu family" in /proc/cpuinfo); 6 elsewhere or when the
  // processor does not say.
  static int32_t fncPlatformProcessorLevel();
  // Processor class: for operating-system codes 1..3, (processorType - 286) / 100 rounded;
  // otherwise processorLevel - 2.
  static int32_t fncProcessorClass(int32_t osCode, int32_t processorLevel,
                                   int32_t processorType = 0);
  static bool fncbUsesSetB(int32_t processorClass, int32_t osCode);
  // The built-in row string of a step 0..15 (16: the skim row) of set A or B.
  static const char* fncDefaultRowText(bool setB, int32_t ilStep);
  // "a, b, c, d, e, f" -> the six numbers, or nothing when malformed.
  static std::optional<Row> fncParseRow(std::string_view text);

 private:
  void subReadTable();
  bool fncbReadItems(int32_t& items) const;
  void subWriteDefaults();
  void subApply(const std::optional<Row>& row);
  Row fncDefaultRow(int32_t ilStep) const;

  cRegistry& mRegistry;
  int32_t mlOsCode;
  int32_t mlProcessorClass;
  bool mbSetB;
  cAudioPlaybackSystem* mBookPlayer = nullptr;
  int32_t mlItems = 15;
  std::vector<std::optional<Row>> mRows;
  Row mSkimRow{};
  int32_t mlSpeed = 5;
};

}  // namespace lyn
