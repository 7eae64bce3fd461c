#include "platform/desktop/cMprisPlayer.h"

#include <gtest/gtest.h>

#include <QDBusObjectPath>
#include <vector>

namespace lyn {
namespace {

struct cPosted {
  std::string sMessage;
  std::optional<int32_t> lArgument;
  bool operator==(const cPosted&) const = default;
};

TEST(MprisPlayer, MediaKeysPostTheMessagesOfTheKeyboardCommands) {
  std::vector<cPosted> posted;
  int raised = 0;
  cMprisPlayer player([&](const std::string& m, std::optional<int32_t> a) { posted.push_back({m, a}); },
                      [&] { ++raised; }, QDBusConnection(QStringLiteral("no bus")));
  for (eMediaCommand command : {eMediaCommand::PlayPause, eMediaCommand::Play, eMediaCommand::Pause,
                                eMediaCommand::Stop, eMediaCommand::Next, eMediaCommand::Previous,
                                eMediaCommand::Quit, eMediaCommand::Raise})
    player.subCommand(command);
  EXPECT_EQ(posted, (std::vector<cPosted>{{"STARTSTOP", {}}, {"START", {}}, {"STOP", {}}, {"STOP", {}},
                                          {"NEXTUNIT", 1}, {"PREVIOUSUNIT", 1}, {"QUIT", {}}}));
  EXPECT_EQ(raised, 1);
}

TEST(MprisPlayer, TellsTheDesktopTheBookTheHeadingAndWhetherItPlays) {
  cMprisPlayer player([](const std::string&, std::optional<int32_t>) {}, nullptr,
                      QDBusConnection(QStringLiteral("no bus")));
  EXPECT_FALSE(player.fncbRegistered());
  EXPECT_EQ(player.fncPlaybackStatus(), "Paused");
  player.subSetPlaying(true);
  EXPECT_EQ(player.fncPlaybackStatus(), "Playing");
  player.subSetMetadata("AMIS User Guide", "What is DAISY?");
  const QVariantMap metadata = player.fncMetadata();
  EXPECT_EQ(metadata.value("xesam:album").toString(), "AMIS User Guide");
  EXPECT_EQ(metadata.value("xesam:title").toString(), "What is DAISY?");
  EXPECT_TRUE(metadata.value("mpris:trackid").canConvert<QDBusObjectPath>());
}

}  // namespace
}  // namespace lyn
