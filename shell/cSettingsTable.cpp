#include "shell/cSettingsTable.h"

#include "shell/ModuleServices.h"

namespace lyn {

namespace {

constexpr auto kUser = eRegistryRoot::CurrentUser;

int32_t readNumber(const cRegistry& registry, const char* key, const char* name, int32_t fallback) {
  int32_t value = fallback;
  registry.fncReadValue(name, value, kUser, key, fallback);
  return value;
}

}  // namespace

StartSettings fncLoadStartSettings(const cRegistry& registry) {
  StartSettings s;
  s.volume = readNumber(registry, kKeyMisc, "volume", s.volume);
  s.tempo = readNumber(registry, kKeyMisc, "tempo", s.tempo);
  s.ffwPlayTime = readNumber(registry, kKeyVari, "ffwplaytime", s.ffwPlayTime);
  s.ffwSkipTime = readNumber(registry, kKeyVari, "ffwskiptime", s.ffwSkipTime);
  s.variComp = readNumber(registry, kKeyVari, "varicomp", s.variComp);
  registry.fncReadValue("debug", s.debug, kUser, kKeyTemporary, false);
  return s;
}

WindowPlacement fncLoadWindowPlacement(const cRegistry& registry) {
  WindowPlacement w;
  w.state = readNumber(registry, kKeyAppearance, "window state", w.state);
  if (w.state != 0) return w;
  w.top = readNumber(registry, kKeyAppearance, "Window top", w.top);
  w.left = readNumber(registry, kKeyAppearance, "Window left", w.left);
  w.height = readNumber(registry, kKeyAppearance, "Window height", w.height);
  w.width = readNumber(registry, kKeyAppearance, "Window width", w.width);
  return w;
}

std::string fncLoadSavedStyleSheet(const cRegistry& registry) {
  std::string sheet;
  registry.fncReadValue("style sheet", sheet, kUser, kKeyAppearance, std::string());
  return sheet;
}

bool fncLoadNccMode(const cRegistry& registry) {
  bool mode = true;  // a new user starts in the NCC view
  registry.fncReadValue("ncc mode", mode, kUser, kKeyAppearance, true);
  return mode;
}

std::string fncLoadLastBookRead(const cRegistry& registry) {
  std::string path;
  registry.fncReadValue("last book read", path, kUser, kKeyMisc, std::string());
  return path;
}

bool fncSaveSettings(cRegistry& registry, const ShutdownSettings& s) {
  registry.subBeginBatch();
  registry.subWriteValue("style sheet", std::string_view(s.styleSheet), kUser, kKeyAppearance);
  registry.subWriteValue("ncc mode", s.nccMode, kUser, kKeyAppearance);
  registry.subWriteValue("window state", s.window.state, kUser, kKeyAppearance);
  registry.subWriteValue("window top", s.window.top, kUser, kKeyAppearance);
  registry.subWriteValue("window left", s.window.left, kUser, kKeyAppearance);
  registry.subWriteValue("window height", s.window.height, kUser, kKeyAppearance);
  registry.subWriteValue("window width", s.window.width, kUser, kKeyAppearance);
  registry.subWriteValue("volume", s.start.volume, kUser, kKeyMisc);
  registry.subWriteValue("tempo", s.start.tempo, kUser, kKeyMisc);
  if (!s.lastBookRead.empty())
    registry.subWriteValue("last book read", std::string_view(s.lastBookRead), kUser, kKeyMisc);
  registry.subWriteValue("path", std::string_view(fncWithoutTrailingSeparator(s.programFolder)),
                         kUser, kKeyMisc);
  registry.subWriteValue("version", kProgramVersion, kUser, kKeyMisc);
  registry.subWriteValue("ffwplaytime", s.start.ffwPlayTime, kUser, kKeyVari);
  registry.subWriteValue("ffwskiptime", s.start.ffwSkipTime, kUser, kKeyVari);
  registry.subWriteValue("varicomp", s.start.variComp, kUser, kKeyVari);
  return registry.fncEndBatch();
}

}  // namespace lyn
