#include <gtest/gtest.h>

#include "platform/storage/cAtomicFile.h"
#include "shell/cApplicationState.h"
#include "../TempFolder.h"

namespace lyn {
namespace {

constexpr auto kUser = eRegistryRoot::CurrentUser;

TEST(SettingsTable, DefaultsWhenNothingIsStored) {
  cRegistry registry;
  auto s = fncLoadStartSettings(registry);
  EXPECT_EQ(s.volume, 8);
  EXPECT_EQ(s.tempo, 5);
  EXPECT_EQ(s.ffwPlayTime, 5);
  EXPECT_EQ(s.ffwSkipTime, 10);
  EXPECT_EQ(s.variComp, 5);
  EXPECT_FALSE(s.debug);
  auto w = fncLoadWindowPlacement(registry);
  EXPECT_EQ(w.state, 0);
  EXPECT_EQ(w.top, 10);
  EXPECT_EQ(w.left, 10);
  EXPECT_EQ(w.height, 7215);
  EXPECT_EQ(w.width, 3795);
  EXPECT_TRUE(fncLoadNccMode(registry));
  registry.subWriteValue("ncc mode", false, kUser, kKeyAppearance);
  EXPECT_FALSE(fncLoadNccMode(registry));
}

TEST(SettingsTable, MaximisedWindowIgnoresTheStoredPlacement) {
  cRegistry registry;
  registry.subWriteValue("window state", int32_t{2}, kUser, kKeyAppearance);
  registry.subWriteValue("window top", int32_t{500}, kUser, kKeyAppearance);
  auto w = fncLoadWindowPlacement(registry);
  EXPECT_EQ(w.state, 2);
  EXPECT_EQ(w.top, 10);
  registry.subWriteValue("window state", int32_t{0}, kUser, kKeyAppearance);
  EXPECT_EQ(fncLoadWindowPlacement(registry).top, 500);
}

TEST(SettingsTable, WrongTypesFallBackToDefaults) {
  cRegistry registry;
  registry.subWriteValue("volume", "very loud", kUser, kKeyMisc);
  registry.subWriteValue("debug", "yes", kUser, kKeyTemporary);
  auto s = fncLoadStartSettings(registry);
  EXPECT_EQ(s.volume, 8);
  EXPECT_FALSE(s.debug);
}

TEST(ApplicationState, SavesAndLoadsTheWholeTable) {
  testing::TempFolder dir;
  auto file = dir / "registry.ini";
  ASSERT_TRUE(fncWriteFileAtomically(dir / "data" / "sttxt001.css", "a{}"));
  ASSERT_TRUE(fncWriteFileAtomically(dir / "data" / "stncc001.css", "a{}"));
  const std::string programFolder = (dir / "data").string() + "/";
  {
    cApplicationState app(std::make_unique<cRegistry>(file), programFolder);
    app.subLoadSettingsAtStart();
    EXPECT_EQ(app.styleSheets().fncCurrentStyle(), 0);
    app.styleSheets().subSetCurrentStyle(1);
    app.startSettings.ffwSkipTime = 30;
    app.sLastBookRead = "/media/reader/BOOK/ncc.html";
    WindowPlacement window;
    window.state = 1;
    ASSERT_TRUE(app.fncSaveSettingsAtShutdown(3, 7, true, window));
  }
  cRegistry stored(file);
  std::string text;
  EXPECT_TRUE(stored.fncReadValue("version", text, kUser, kKeyMisc));
  EXPECT_EQ(text, "LYN Reader 1.1");
  EXPECT_TRUE(stored.fncReadValue("path", text, kUser, kKeyMisc));
  EXPECT_EQ(text, (dir / "data").string());
  EXPECT_EQ(fncLoadLastBookRead(stored), "/media/reader/BOOK/ncc.html");
  EXPECT_TRUE(fncLoadNccMode(stored));
  EXPECT_EQ(fncLoadWindowPlacement(stored).state, 1);

  cApplicationState app(std::make_unique<cRegistry>(file), programFolder);
  app.subLoadSettingsAtStart();
  EXPECT_EQ(app.startSettings.volume, 3);
  EXPECT_EQ(app.startSettings.tempo, 7);
  EXPECT_EQ(app.startSettings.ffwSkipTime, 30);
  EXPECT_EQ(app.styleSheets().fncCurrentStyle(), 1);
  EXPECT_EQ(app.keyTiming.holdThreshold, 80);
}

TEST(ApplicationState, EmptyLastBookIsNotWrittenAndNoStyleIsSavedEmpty) {
  cApplicationState app(std::make_unique<cRegistry>(), "/nowhere");
  app.registry().subWriteValue("last book read", "/old/book", kUser, kKeyMisc);
  app.subLoadSettingsAtStart();
  ASSERT_TRUE(app.fncSaveSettingsAtShutdown(8, 5, false, WindowPlacement{}));
  EXPECT_EQ(fncLoadLastBookRead(app.registry()), "/old/book");
  std::string sheet = "x";
  EXPECT_TRUE(app.registry().fncReadValue("style sheet", sheet, kUser, kKeyAppearance));
  EXPECT_EQ(sheet, "");
  EXPECT_EQ(app.programFolder(), "/nowhere/");
}

TEST(ApplicationState, RecordErrorKeepsTheMessageOnlyWhenGiven) {
  cApplicationState app(nullptr, "/x");
  app.subRecordError(601, "Init phrasemodule");
  app.subRecordError(7);
  EXPECT_EQ(app.fncLastError().number, 7);
  EXPECT_EQ(app.fncLastError().message, "Init phrasemodule");
}

}  // namespace
}  // namespace lyn
