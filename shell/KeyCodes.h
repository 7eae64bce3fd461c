#pragma once
// The key codes the key logic works on (the window system's virtual-key numbers) and the shift
// states given with them. Every front end maps its own keys to these.

#include <cstdint>

namespace lyn {

namespace key {
inline constexpr int32_t Backspace = 8;
inline constexpr int32_t Tab = 9;
inline constexpr int32_t Enter = 13;
inline constexpr int32_t Shift = 16;
inline constexpr int32_t Ctrl = 17;
inline constexpr int32_t Alt = 18;
inline constexpr int32_t Escape = 27;
inline constexpr int32_t Space = 32;
inline constexpr int32_t PageUp = 33;
inline constexpr int32_t PageDown = 34;
inline constexpr int32_t End = 35;
inline constexpr int32_t Home = 36;
inline constexpr int32_t Left = 37;
inline constexpr int32_t Up = 38;
inline constexpr int32_t Right = 39;
inline constexpr int32_t Down = 40;
inline constexpr int32_t Insert = 45;
inline constexpr int32_t Delete = 46;
inline constexpr int32_t LeftWindows = 91;
inline constexpr int32_t ContextMenu = 93;
inline constexpr int32_t F1 = 112;  // F1 .. F12 are 112 .. 123
inline constexpr int32_t F3 = 114;
inline constexpr int32_t F4 = 115;
inline constexpr int32_t F12 = 123;
}  // namespace key

// Shift states, combined by "or".
namespace shift {
inline constexpr int32_t None = 0;
inline constexpr int32_t Shift = 1;
inline constexpr int32_t Ctrl = 2;
inline constexpr int32_t Alt = 4;
}  // namespace shift

// One key as a front end delivers it: the code, the shift state and, for a key that types a
// character, that character (0 otherwise).
struct cKey {
  int32_t lCode = 0;
  int32_t lShift = shift::None;
  char32_t cChar = 0;
};

}  // namespace lyn
