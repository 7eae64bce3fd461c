#include "shell/cScriptFrontEnd.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "shell/KeyNames.h"
#include "shell/cApplication.h"
#include "shell/cMainWindow.h"

namespace lyn {

namespace {

std::string fncSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

std::string fncTrim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// A whole number (as a message argument), or nothing.
std::optional<int32_t> fncWholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    n = n * 10 + (text[i] - '0');
  }
  if (text[0] == '-') n = -n;
  if (n < INT32_MIN || n > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(n);
}

// Seconds as program ticks; nothing for a negative or unreadable count.
std::optional<int64_t> fncTicks(const std::string& text) {
  try {
    size_t used = 0;
    const double seconds = std::stod(text, &used);
    if (used != text.size() || !(seconds >= 0) || seconds > 1e7) return std::nullopt;
    return static_cast<int64_t>(std::llround(seconds * 100.0));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The characters of UTF-8 text (invalid bytes as themselves).
std::vector<char32_t> fncCharacters(const std::string& text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (n == 1 || i + n > text.size()) {
      out.push_back(b);
      ++i;
      continue;
    }
    char32_t c = b & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out.push_back(c);
    i += n;
  }
  return out;
}

}  // namespace

cScriptFrontEnd::cScriptFrontEnd(int inputFd, std::ostream& out, std::ostream& err)
    : mInput(inputFd), mOut(out), mErr(err) {}

void cScriptFrontEnd::subLine(const std::string& text) {
  const double time = mApp ? mApp->fncdProgramTime() : 0.0;
  mOut << fncSeconds(time) << ' ' << text << '\n';
  mOut.flush();
}

std::optional<std::string> cScriptFrontEnd::fncReadLine(int signalFd, bool& ended) {
  ended = false;
  while (true) {
    if (const auto end = msBuffer.find('\n'); end != std::string::npos) {
      std::string line = msBuffer.substr(0, end);
      msBuffer.erase(0, end + 1);
      return line;
    }
    if (mbEof) {
      ended = true;
      if (msBuffer.empty()) return std::nullopt;
      std::string line;
      line.swap(msBuffer);
      return line;
    }
    pollfd fds[2] = {{mInput, POLLIN, 0}, {signalFd, POLLIN, 0}};
    const int n = ::poll(fds, signalFd >= 0 ? 2 : 1, -1);
    if (n < 0 && errno == EINTR) continue;
    if (signalFd >= 0 && (fds[1].revents & POLLIN)) return std::nullopt;
    char chunk[4096];
    const ssize_t got = ::read(mInput, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) mbEof = true;
    else msBuffer.append(chunk, size_t(got));
  }
}

bool cScriptFrontEnd::fncbTurn(cApplication& app) {
  mApp = &app;
  const int64_t now = app.window().fnclTicks();
  if (mHeld) {
    if (now < mlDueTick) return true;
    app.subKeyUp(*mHeld);
    mHeld.reset();
  }
  if (now < mlDueTick) return true;
  while (true) {
    bool ended = false;
    auto line = fncReadLine(app.fnciSignalFd(), ended);
    if (!line) return !ended;  // a signal: the application takes it after this turn
    ++mlLine;
    if (const auto hash = line->find('#'); hash != std::string::npos) line->erase(hash);
    const std::string command = fncTrim(*line);
    if (!command.empty() && !fncbRun(app, command)) return true;
    if (ended && msBuffer.empty()) return false;
  }
}

bool cScriptFrontEnd::fncbRun(cApplication& app, const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  words >> verb;
  const auto complain = [&](const std::string& what) {
    mErr << "lyn-reader: script line " << mlLine << ": " << what << ": " << line << '\n';
    return true;
  };
  const int64_t now = app.window().fnclTicks();
  if (verb == "wait") {
    std::string seconds;
    words >> seconds;
    const auto ticks = fncTicks(seconds);
    if (!ticks) return complain("wait needs seconds");
    mlDueTick = now + *ticks;
    return *ticks == 0;
  }
  if (verb == "hold") {
    std::string name, seconds;
    words >> name >> seconds;
    const auto key = fncKeyByName(name);
    const auto ticks = fncTicks(seconds);
    if (!key || !ticks) return complain("hold needs a key and seconds");
    app.subKeyDown(*key);
    mHeld = key;
    mlDueTick = now + *ticks;
    return false;
  }
  if (verb == "type") {
    const auto at = line.find("type") + 4;
    std::string text = at < line.size() ? line.substr(at + 1) : std::string();
    for (char32_t c : fncCharacters(text)) app.subType(c);
    return true;
  }
  if (verb == "post") {
    std::string name, a1, a2;
    words >> name >> a1 >> a2;
    if (name.empty()) return complain("post needs a message name");
    const auto arg = [](const std::string& text) -> Variant {
      if (text.empty()) return {};
      if (auto n = fncWholeNumber(text)) return *n;
      return text;
    };
    app.subPost(name, arg(a1), arg(a2));
    return true;
  }
  if (verb == "menu") {
    // What the window's menus do: open, move the highlight, choose, close.
    std::string what, name, extra;
    words >> what >> name >> extra;
    if (!extra.empty()) return complain("unknown menu command");
    if (what == "open" && name.empty()) app.subMenuLoop(true);
    else if (what == "close" && name.empty()) app.subMenuLoop(false);
    else if (what == "select" && !name.empty()) app.subMenuSelect(name, app.window().fncbMenuItemEnabled(name));
    else if (what == "choose" && !name.empty()) app.subMenuItem(name);
    else return complain("menu needs open, close, select NAME or choose NAME");
    return true;
  }
  const auto key = fncKeyByName(verb);
  std::string extra;
  if (!key || (words >> extra)) return complain("unknown command");
  app.subKeyDown(*key);
  app.subKeyUp(*key);
  return true;
}

void cScriptFrontEnd::subShowAddress(const std::string& a) { subLine("show " + a); }
void cScriptFrontEnd::subShowHighlight(const std::string& id, const std::string& text) {
  subLine("highlight " + id + " " + text);
}
void cScriptFrontEnd::subShowFocus(int32_t, const std::string& text) { subLine("focus " + text); }
void cScriptFrontEnd::subShowCaption(const std::string& c) { subLine("caption " + c); }
void cScriptFrontEnd::subShowLabel(const std::string& n, const std::string& t) {
  subLine("label " + n + " " + t);
}
void cScriptFrontEnd::subShowEnabled(eSwitchable c, bool on) {
  subLine(std::string("enabled ") + fncSwitchableName(c) + (on ? " on" : " off"));
}
void cScriptFrontEnd::subShowStartPicture(bool shown) {
  subLine(std::string("button cbStart ") + (shown ? "on" : "off"));
}
void cScriptFrontEnd::subShowMode(int32_t m) { subLine("mode " + std::to_string(m)); }
void cScriptFrontEnd::subShowPlayerState(const std::string& s) { subLine("state " + s); }
void cScriptFrontEnd::subShowPrompt(const std::string& k) { subLine("say " + k); }
void cScriptFrontEnd::subShowClip(const std::string& f, double b, double e) {
  subLine("clip " + f + " " + fncSeconds(b) + " " + fncSeconds(e));
}
void cScriptFrontEnd::subShowPlay(const std::string& f, double from, double mark) {
  subLine("play " + f + " " + fncSeconds(from) + " " + fncSeconds(mark));
}
void cScriptFrontEnd::subShowError(int32_t n, const std::string& where) {
  subLine("error " + std::to_string(n) + " " + where);
}
void cScriptFrontEnd::subDialogOpened(const std::string& name, const std::string&, const std::string&) {
  subLine("dialog " + name);
}
void cScriptFrontEnd::subDialogClosed(const std::string& name, const std::string& value) {
  subLine("dialog-result " + name + " " + value);
}
void cScriptFrontEnd::subExit() { subLine("exit"); }

}  // namespace lyn
