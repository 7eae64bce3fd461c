#pragma once
// The user's settings: where each lives in the settings store, its default, and the loading at
// start and saving at shutdown.

#include <cstdint>
#include <string>

#include "platform/registry/cRegistry.h"

namespace lyn {

inline constexpr const char* kKeyAppearance = "software\\lyn_reader\\appearance";
inline constexpr const char* kKeyMisc = "software\\lyn_reader\\misc";
inline constexpr const char* kKeyVari = "software\\lyn_reader\\vari";
inline constexpr const char* kKeyTemporary = "software\\lyn_reader\\temporary";
inline constexpr const char* kKeySpeedTables = "software\\LYN_Reader";
inline constexpr const char* kProgramVersion = "LYN Reader 1.1";

// The values read at start (misc, vari, temporary).
struct StartSettings {
  int32_t volume = 8;
  int32_t tempo = 5;
  int32_t ffwPlayTime = 5;
  int32_t ffwSkipTime = 10;
  int32_t variComp = 5;
  bool debug = false;
};
StartSettings fncLoadStartSettings(const cRegistry& registry);

// The main window's placement in twips; the stored position and size apply only when the stored
// state is 0 (a normal window).
struct WindowPlacement {
  int32_t state = 0;
  int32_t top = 10;
  int32_t left = 10;
  int32_t height = 7215;
  int32_t width = 3795;
};
WindowPlacement fncLoadWindowPlacement(const cRegistry& registry);

std::string fncLoadSavedStyleSheet(const cRegistry& registry);
bool fncLoadNccMode(const cRegistry& registry);
std::string fncLoadLastBookRead(const cRegistry& registry);

// What shutdown writes back, gathered from the objects that own the values.
struct ShutdownSettings {
  StartSettings start;              // debug is never written
  WindowPlacement window;
  std::string styleSheet;           // the current style's text sheet, "" for none
  bool nccMode = true;
  std::string lastBookRead;         // written only when not empty
  std::string programFolder;        // written as "path" without its trailing "/"
};
// Saves in one go: the store's file is replaced once, atomically. False when it could not be.
bool fncSaveSettings(cRegistry& registry, const ShutdownSettings& settings);

}  // namespace lyn
