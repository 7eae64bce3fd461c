#pragma once
// The document's key tables and the buttons' messages, as data shared by every front end.

#include <cstdint>
#include <optional>
#include <string_view>

#include "shell/KeyCodes.h"

namespace lyn {

// What a key does when the document has it (no arrow tracking involved, no Alt held).
enum class eKeyAction {
  Post,         // post sMessage
  Tab,          // move the focus to the next (previous with Shift) link
  Enter,        // follow the focused link, or "sfx_indicator3"; then "UPDATEINTERFACE"
  Escape,       // the current mode's subEscape
  Prompt,       // queue the prompt sMessage at lPriority
  Nothing,      // Shift: nothing at all
};

struct cKeyDownEntry {
  int32_t lCode;
  eKeyAction enAction;
  std::string_view sMessage = {};
  int32_t lPriority = 0;
};

inline constexpr cKeyDownEntry kDocumentKeyDown[] = {
    {key::Backspace, eKeyAction::Post, "UNDO"},
    {key::Tab, eKeyAction::Tab},
    {key::Enter, eKeyAction::Enter},
    {key::Shift, eKeyAction::Nothing},
    {key::Escape, eKeyAction::Escape},
    {key::Space, eKeyAction::Post, "STARTSTOP"},
    {key::PageUp, eKeyAction::Post, "INCREASEVOLUME"},
    {key::PageDown, eKeyAction::Post, "DECREASEVOLUME"},
    {key::End, eKeyAction::Post, "DECREASERATE"},
    {key::Home, eKeyAction::Post, "INCREASERATE"},
    {key::Up, eKeyAction::Post, "INCREASEUNIT"},
    {key::Down, eKeyAction::Post, "DECREASEUNIT"},
    {key::Insert, eKeyAction::Post, "INSERT"},
    {key::Delete, eKeyAction::Post, "DELETE"},
    {key::LeftWindows, eKeyAction::Prompt, "gen_startmenu", 10},
    {key::ContextMenu, eKeyAction::Prompt, "sfx_indicator3", 10},
    {112, eKeyAction::Post, "HELP"},
    {113, eKeyAction::Post, "BOOKSHELF"},
    {114, eKeyAction::Post, "SEARCH"},
    {115, eKeyAction::Post, "GOTOPAGE"},
    {116, eKeyAction::Post, "NCCVIEW"},  // and the view must not reload
    {117, eKeyAction::Post, "FULLTEXTVIEW"},
    {118, eKeyAction::Post, "PREVIOUSSTYLE"},
    {119, eKeyAction::Post, "NEXTSTYLE"},
    {120, eKeyAction::Post, "INFO"},
    {121, eKeyAction::Post, "EXTENDEDSEARCH"},
    {123, eKeyAction::Post, "QUIT"},
};

// The key-down entry of a key; nothing for keys without a command (the view must ignore them).
constexpr std::optional<cKeyDownEntry> fncKeyDownEntry(int32_t ilCode) {
  for (const auto& entry : kDocumentKeyDown)
    if (entry.lCode == ilCode) return entry;
  return std::nullopt;
}

// What the view may still do with a key after the document's key-up handler.
enum class eKeyUpPass { Swallow, PassThrough, Nothing };
constexpr eKeyUpPass fncKeyUpPass(int32_t ilCode) {
  if (ilCode == key::Tab || ilCode == key::Alt) return eKeyUpPass::PassThrough;
  if (ilCode == key::Shift || ilCode == key::Ctrl) return eKeyUpPass::Nothing;
  return eKeyUpPass::Swallow;
}

// The buttons: each posts one message, except the two unit buttons, which track like the arrows.
struct cButtonEntry {
  std::string_view sName;
  std::string_view sMessage;   // empty: arrow tracking with lTrackKey
  int32_t lTrackKey;
  std::string_view sTooltipKey;
};

inline constexpr cButtonEntry kButtons[] = {
    {"cbStart", "START", 0, "ttip_start"},
    {"cbStop", "STOP", 0, "ttip_stop"},
    {"cbUndo", "UNDO", 0, "ttip_undo"},
    {"cbPrevUnit", "", key::Left, "ttip_back"},
    {"cbNextUnit", "", key::Right, "ttip_fwd"},
    {"cbDecreaseUnit", "DECREASEUNIT", 0, "ttip_prevnavmode"},
    {"cbIncreaseUnit", "INCREASEUNIT", 0, "ttip_nextnavmode"},
    {"cbInsertBookmark", "INSERT", 0, "ttip_insbookmark"},
    {"cbDeleteBookmark", "DELETE", 0, "ttip_delbookmark"},
    {"cbSearch", "SEARCH", 0, "ttip_search"},
    {"cbGotoPage", "GOTOPAGE", 0, "ttip_gotopage"},
    {"cbInfo", "INFO", 0, "ttip_bookinfo"},
    {"cbBookshelf", "BOOKSHELF", 0, "ttip_bookshelf"},
    {"cbHelp", "HELP", 0, "ttip_help"},
    {"cbVolumeDown", "DECREASEVOLUME", 0, "ttip_voldown"},
    {"cbVolumeUp", "INCREASEVOLUME", 0, "ttip_volup"},
    {"cbRateDown", "DECREASERATE", 0, "ttip_speeddown"},
    {"cbRateUp", "INCREASERATE", 0, "ttip_speedup"},
};

}  // namespace lyn
