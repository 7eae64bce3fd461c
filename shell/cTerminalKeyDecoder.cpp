#include "shell/cTerminalKeyDecoder.h"

#include <algorithm>

namespace lyn {

namespace {

constexpr char kEsc = '\x1b';

bool fncbArrow(int32_t code) { return code == key::Left || code == key::Right || code == key::Up || code == key::Down; }

// xterm's modifier parameter (1 + shift 1, alt 2, ctrl 4) as shift states.
int32_t fncShiftOf(int parameter) {
  const int bits = parameter > 0 ? parameter - 1 : 0;
  int32_t state = 0;
  if (bits & 1) state |= shift::Shift;
  if (bits & 2) state |= shift::Alt;
  if (bits & 4) state |= shift::Ctrl;
  return state;
}

// The key of a "CSI n ~" sequence.
int32_t fncTildeKey(int n) {
  switch (n) {
    case 1: case 7: return key::Home;
    case 2: return key::Insert;
    case 3: return key::Delete;
    case 4: case 8: return key::End;
    case 5: return key::PageUp;
    case 6: return key::PageDown;
    case 11: return key::F1;
    case 12: return key::F1 + 1;
    case 13: return key::F1 + 2;
    case 14: return key::F1 + 3;
    case 15: return key::F1 + 4;
    case 17: return key::F1 + 5;
    case 18: return key::F1 + 6;
    case 19: return key::F1 + 7;
    case 20: return key::F1 + 8;
    case 21: return key::F1 + 9;
    case 23: return key::F1 + 10;
    case 24: return key::F1 + 11;
    default: return 0;
  }
}

// The key of a final letter (CSI or SS3): arrows, Home, End, F1 to F4.
int32_t fncLetterKey(char c) {
  switch (c) {
    case 'A': return key::Up;
    case 'B': return key::Down;
    case 'C': return key::Right;
    case 'D': return key::Left;
    case 'H': return key::Home;
    case 'F': return key::End;
    case 'P': return key::F1;
    case 'Q': return key::F1 + 1;
    case 'R': return key::F1 + 2;
    case 'S': return key::F1 + 3;
    default: return 0;
  }
}

// A plain byte (or UTF-8 character) as a key.
cKey fncCharKey(char32_t c) {
  switch (c) {
    case '\r': case '\n': return {key::Enter, 0, 0};
    case '\t': return {key::Tab, 0, 0};
    case 0x7f: case 0x08: return {key::Backspace, 0, 0};
    case ' ': return {key::Space, 0, U' '};
    default: break;
  }
  if (c >= 'a' && c <= 'z') return {int32_t(c - 32), 0, c};
  if (c >= 'A' && c <= 'Z') return {int32_t(c), shift::Shift, c};
  if (c >= '0' && c <= '9') return {int32_t(c), 0, c};
  if (c < 0x20) return {0, shift::Ctrl, 0};
  return {0xFF, 0, c};  // a character without a key code of its own
}

// Alt with a key: the function-key alternatives, else the key with Alt.
cKey fncAltKey(char32_t c) {
  if (c >= '1' && c <= '9') return {key::F1 + int32_t(c - '1'), 0, 0};
  if (c == '0') return {key::F1 + 9, 0, 0};
  if (c == '-') return {key::F1 + 10, 0, 0};
  if (c == '=') return {key::F1 + 11, 0, 0};
  cKey k = fncCharKey(c);
  k.lShift |= shift::Alt;
  k.cChar = 0;
  return k;
}

// The kitty protocol's key numbers that are no characters.
int32_t fncKittyKey(int n) {
  switch (n) {
    case 13: return key::Enter;
    case 9: return key::Tab;
    case 127: return key::Backspace;
    case 27: return key::Escape;
    case 57399: case 57400: case 57401: case 57402: case 57403:
    case 57404: case 57405: case 57406: case 57407: case 57408: return 0;  // keypad digits
    default: return -1;
  }
}

size_t fncUtf8Length(unsigned char b) { return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4; }

char32_t fncUtf8Decode(std::string_view s) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  if (s.size() == 1) return b0;
  char32_t c = b0 & (s.size() == 2 ? 0x1F : s.size() == 3 ? 0x0F : 0x07);
  for (size_t i = 1; i < s.size(); ++i) c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  return c;
}

}  // namespace

void cTerminalKeyDecoder::subFeed(std::string_view bytes, int64_t nowMs) {
  subTick(nowMs);
  if (mBuffer.empty()) mlBufferSince = nowMs;
  mBuffer.append(bytes);
  subDecode(nowMs, false);
}

void cTerminalKeyDecoder::subTick(int64_t nowMs) {
  if (!mBuffer.empty() && nowMs - mlBufferSince >= kLoneEscapeMs) subDecode(nowMs, true);
  if (mHeld && !mbKittyEvents && nowMs >= mlHeldDeadline) subReleaseHeld();
}

std::vector<cKeyEvent> cTerminalKeyDecoder::fncTake() {
  std::vector<cKeyEvent> out;
  out.swap(mEvents);
  return out;
}

std::optional<int64_t> cTerminalKeyDecoder::fncNextDeadline() const {
  std::optional<int64_t> next;
  if (!mBuffer.empty()) next = mlBufferSince + kLoneEscapeMs;
  if (mHeld && !mbKittyEvents) next = next ? std::min(*next, mlHeldDeadline) : mlHeldDeadline;
  return next;
}

void cTerminalKeyDecoder::subReleaseHeld() {
  if (!mHeld) return;
  mEvents.push_back({false, *mHeld});
  mHeld.reset();
}

void cTerminalKeyDecoder::subKey(cKey k, int64_t nowMs, int eventType) {
  if (eventType != 0) {
    // The terminal tells presses (1), repeats (2) and releases (3) itself.
    mbKittyEvents = true;
    if (eventType == 2) return;
    if (eventType == 3) {
      if (mHeld && mHeld->lCode == k.lCode) mHeld.reset();
      mEvents.push_back({false, k});
      return;
    }
    mEvents.push_back({true, k});
    if (fncbArrow(k.lCode)) mHeld = k;
    else mEvents.push_back({false, k});
    return;
  }
  if (mbKittyEvents && fncbArrow(k.lCode)) {
    // Legacy bytes from a terminal that reports releases: a press only.
    mEvents.push_back({true, k});
    mHeld = k;
    return;
  }
  if (mHeld) {
    if (mHeld->lCode == k.lCode && mHeld->lShift == k.lShift) {
      // A repeat: the key is still down.
      mlHeldDeadline = nowMs + mlRepeatGap;
      return;
    }
    // Another key: the held one has been let go.
    subReleaseHeld();
  }
  mEvents.push_back({true, k});
  if (fncbArrow(k.lCode)) {
    mHeld = k;
    mlHeldDeadline = nowMs + mlFirstWait;
  } else {
    mEvents.push_back({false, k});
  }
}

void cTerminalKeyDecoder::subDecode(int64_t nowMs, bool final) {
  while (!mBuffer.empty()) {
    const size_t used = fncSequence(nowMs, final);
    if (used == 0) return;
    mBuffer.erase(0, used);
    mlBufferSince = nowMs;
  }
}

size_t cTerminalKeyDecoder::fncSequence(int64_t nowMs, bool final) {
  const std::string_view b = mBuffer;
  if (b[0] != kEsc) {
    const size_t n = fncUtf8Length(static_cast<unsigned char>(b[0]));
    if (n > b.size()) {
      if (!final) return 0;
      subKey(fncCharKey(static_cast<unsigned char>(b[0])), nowMs);
      return 1;
    }
    subKey(fncCharKey(fncUtf8Decode(b.substr(0, n))), nowMs);
    return n;
  }
  if (b.size() == 1) {
    if (!final) return 0;
    subKey({key::Escape, 0, 0}, nowMs);
    return 1;
  }
  const char second = b[1];
  if (second == 'O') {  // SS3: xterm's F1-F4, application cursor keys
    if (b.size() < 3) return final ? (subKey(fncAltKey('O'), nowMs), 2) : 0;
    if (const int32_t code = fncLetterKey(b[2])) subKey({code, 0, 0}, nowMs);
    return 3;
  }
  if (second != '[') {
    if (second == kEsc) {  // ESC ESC: Escape, then whatever follows
      subKey({key::Escape, 0, 0}, nowMs);
      return 1;
    }
    const size_t n = fncUtf8Length(static_cast<unsigned char>(second));
    if (1 + n > b.size()) return final ? (subKey({key::Escape, 0, 0}, nowMs), 1) : 0;
    subKey(fncAltKey(fncUtf8Decode(b.substr(1, n))), nowMs);
    return 1 + n;
  }
  // CSI: parameters and intermediates up to a final byte 0x40-0x7e.
  if (b.size() >= 3 && b[2] == '[') {  // the Linux console's F1-F5: ESC [ [ A..E
    if (b.size() < 4) return final ? (subKey({key::Escape, 0, 0}, nowMs), 1) : 0;
    if (b[3] >= 'A' && b[3] <= 'E') subKey({key::F1 + (b[3] - 'A'), 0, 0}, nowMs);
    return 4;
  }
  size_t end = 2;
  while (end < b.size() && !(b[end] >= 0x40 && b[end] <= 0x7e)) ++end;
  if (end >= b.size()) {
    if (!final && b.size() < 32) return 0;
    subKey({key::Escape, 0, 0}, nowMs);  // a broken sequence: its ESC alone
    return 1;
  }
  const char finalByte = b[end];
  // Parameters "a;b:c;..." as numbers; sub-parameters after ":" kept per field.
  std::vector<std::vector<int>> fields(1, std::vector<int>(1, 0));
  for (size_t i = 2; i < end; ++i) {
    const char c = b[i];
    if (c >= '0' && c <= '9') {
      fields.back().back() = std::min(fields.back().back() * 10 + (c - '0'), 1 << 24);
    } else if (c == ';') {
      fields.emplace_back(1, 0);
    } else if (c == ':') {
      fields.back().push_back(0);
    } else if (c == '?' || c == '>' || c == '<' || c == '=') {
      // A reply to a query, not a key. "CSI ? flags u": the kitty protocol is on; with flag 2
      // the terminal reports releases.
      if (c == '?' && i == 2 && b[end] == 'u') {
        int flags = 0;
        for (size_t j = 3; j < end && b[j] >= '0' && b[j] <= '9'; ++j) flags = flags * 10 + (b[j] - '0');
        mbKittyEvents = (flags & 2) != 0;
      }
      return end + 1;
    }
  }
  const int first = fields[0][0];
  const int modifiers = fields.size() > 1 ? fields[1][0] : 1;
  const int eventType = fields.size() > 1 && fields[1].size() > 1 ? fields[1][1] : 0;
  cKey k;
  if (finalByte == '~') {
    k.lCode = fncTildeKey(first);
  } else if (finalByte == 'Z') {
    k = {key::Tab, shift::Shift, 0};
  } else if (finalByte == 'u') {
    const int32_t special = fncKittyKey(first);
    if (special > 0) k.lCode = special;
    else if (special < 0 && first >= 32) k = fncCharKey(char32_t(first));
  } else {
    k.lCode = fncLetterKey(finalByte);
  }
  if (k.lCode == 0) return end + 1;
  k.lShift |= fncShiftOf(modifiers);
  if (finalByte == 'u' && (k.lShift & shift::Alt) && k.cChar) k = fncAltKey(k.cChar);
  subKey(k, nowMs, eventType);
  return end + 1;
}

}  // namespace lyn
