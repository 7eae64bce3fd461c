#pragma once
// The main window's menus: six menus, their items in order (separators count as positions), the
// prompt keys of their labels and key names, and the message each item posts. Data shared by the
// window, which builds its menu bar from it, and the application, which speaks and runs the items.

#include <array>
#include <cstdint>
#include <string_view>

namespace lyn {

struct cMenuItemEntry {
  std::string_view sName;        // "mnuBookshelf"; "" for a separator
  std::string_view sLabelKey;    // "item_bookshelf"
  std::string_view sKeyNameKey;  // "key_f2"; "" when the item has no key
  std::string_view sMessage;     // posted on a click; see the two special names below
  int32_t lArgument = 0;         // 0: the message has none
};

struct cMenuEntry {
  std::string_view sName;      // "mnuFile"
  std::string_view sTitleKey;  // "menu_file"
  size_t lItemCount;
  std::array<cMenuItemEntry, 8> aItems;
};

// "mnuQuit" closes the window (which asks, as the close box does); "mnuScreenreadermode"
// toggles screen-reader mode. Every other item posts its message.
inline constexpr std::string_view kCloseWindowItem = "mnuQuit";
inline constexpr std::string_view kScreenReaderItem = "mnuScreenreadermode";

inline constexpr std::array<cMenuEntry, 6> kMenus{{
    {"mnuFile", "menu_file", 3,
     {{{"mnuBookshelf", "item_bookshelf", "key_f2", "BOOKSHELF"},
       {},
       {"mnuQuit", "item_exitprogram", "key_f12", "QUIT"}}}},
    {"mnuPlayback", "menu_control", 8,
     {{{"mnuPlay", "item_start", "key_space", "START"},
       {"mnuStop", "item_stop", "key_space", "STOP"},
       {"mnuUndo", "item_undo", "key_backspace", "UNDO"},
       {},
       {"mnuVolumeUp", "item_volup", "key_pageup", "INCREASEVOLUME"},
       {"mnuVolumeDown", "item_voldown", "key_pagedown", "DECREASEVOLUME"},
       {"mnuRateUp", "item_speedup", "key_home", "INCREASERATE"},
       {"mnuRateDown", "item_speeddown", "key_end", "DECREASERATE"}}}},
    {"mnuNavigation", "menu_navigate", 5,
     {{{"mnuForward", "item_fwd", "key_rightarrow", "NEXTUNIT", 1},
       {"mnuBack", "item_back", "key_leftarrow", "PREVIOUSUNIT", 1},
       {},
       {"mnuNextUnit", "item_nextnavmode", "key_uparrow", "INCREASEUNIT"},
       {"mnuPreviousUnit", "item_prevnavmode", "key_downarrow", "DECREASEUNIT"}}}},
    {"mnuTools", "menu_tools", 8,
     {{{"mnuInsertBookmark", "item_insbookmark", "key_insert", "INSERT"},
       {"mnuDeleteBookmark", "item_delbookmark", "key_delete", "DELETE"},
       {},
       {"mnuFind", "item_search", "key_f3", "SEARCH"},
       {"mnuGotoPage", "item_gotopage", "key_f4", "GOTOPAGE"},
       {"mnuBookInfo", "item_bookinfo", "key_f9", "INFO"},
       {"mnuExtendedSearch", "item_extendedsearch", "key_f10", "EXTENDEDSEARCH"},
       {"mnuScreenreadermode", "item_screenreader", "", ""}}}},
    {"mnuView", "menu_view", 5,
     {{{"mnuNccView", "item_nccview", "key_f5", "NCCVIEW"},
       {"mnuFulltextView", "item_fulltextview", "key_f6", "FULLTEXTVIEW"},
       {},
       {"mnuNextTextStyle", "item_nextstyle", "key_f8", "NEXTSTYLE"},
       {"mnuPrevTextstyle", "item_prevstyle", "key_f7", "PREVIOUSSTYLE"}}}},
    {"mnuHelp", "menu_help", 2,
     {{{"mnuHelpforLYN", "item_help", "key_f1", "HELP"},
       {"mnuAboutLYN", "item_about", "", "ABOUT"}}}},
}};

// The menu with this name ("mnuFile"); nothing for another name.
constexpr const cMenuEntry* fncMenuNamed(std::string_view isName) {
  for (const cMenuEntry& menu : kMenus)
    if (menu.sName == isName) return &menu;
  return nullptr;
}

// The item with this name ("mnuFind"); nothing for a menu title, a separator or another name.
constexpr const cMenuItemEntry* fncMenuItemNamed(std::string_view isName) {
  if (isName.empty()) return nullptr;
  for (const cMenuEntry& menu : kMenus)
    for (size_t i = 0; i < menu.lItemCount; ++i)
      if (menu.aItems[i].sName == isName) return &menu.aItems[i];
  return nullptr;
}

}  // namespace lyn
