#include "platform/desktop/cSleepWatcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

namespace lyn {
namespace {

// logind stood in for: every inhibitor is one end of a pipe.
class cTestSleepWatcher : public cSleepWatcher {
 public:
  using cSleepWatcher::cSleepWatcher;
  int lRequests = 0;

 protected:
  QDBusUnixFileDescriptor fncRequestInhibitor() override {
    ++lRequests;
    int ends[2];
    if (::pipe(ends) != 0) return {};
    QDBusUnixFileDescriptor inhibitor(ends[0]);  // duplicates the descriptor
    ::close(ends[0]);
    ::close(ends[1]);
    return inhibitor;
  }
};

TEST(SleepWatcher, SavesBeforeSleepWhileHoldingTheInhibitorAndLetsGoAfterwards) {
  std::vector<bool> heldDuringSave;
  cTestSleepWatcher* self = nullptr;
  cTestSleepWatcher watcher([&] { heldDuringSave.push_back(self->fncbHoldingInhibitor()); },
                            QDBusConnection(QStringLiteral("no bus")));
  self = &watcher;
  watcher.subStart();
  EXPECT_TRUE(watcher.fncbHoldingInhibitor());

  watcher.subPrepareForSleep(true);
  EXPECT_EQ(heldDuringSave, (std::vector<bool>{true}));
  EXPECT_FALSE(watcher.fncbHoldingInhibitor());

  watcher.subPrepareForSleep(false);  // awake again: nothing saved, the next sleep is held
  EXPECT_EQ(heldDuringSave.size(), 1u);
  EXPECT_TRUE(watcher.fncbHoldingInhibitor());
  EXPECT_EQ(watcher.lRequests, 2);
}

TEST(SleepWatcher, WithoutABusItWatchesNothingAndFailsNothing) {
  int saves = 0;
  cSleepWatcher watcher([&] { ++saves; }, QDBusConnection(QStringLiteral("no bus")));
  EXPECT_FALSE(watcher.fncbWatching());
  watcher.subStart();
  EXPECT_FALSE(watcher.fncbHoldingInhibitor());
  watcher.subPrepareForSleep(true);
  EXPECT_EQ(saves, 1);
}

}  // namespace
}  // namespace lyn
