#include "audio/cPositionCheckTimer.h"

#include <algorithm>

#include "audio/cAudioPlaybackSystem.h"
#include "platform/audio/cVirtualClock.h"

namespace lyn {

cPositionCheckTimer::cPositionCheckTimer(cVirtualClock* clock, int32_t ilIntervalMs)
    : mClock(clock), mlIntervalMs(ilIntervalMs) {}

cPositionCheckTimer::~cPositionCheckTimer() {
  for (cAudioPlaybackSystem* player : mPlayers) player->mtimerPositionCheckTimer = nullptr;
}

void cPositionCheckTimer::subAttach(cAudioPlaybackSystem& player) {
  if (player.mtimerPositionCheckTimer != nullptr && player.mtimerPositionCheckTimer != this)
    player.mtimerPositionCheckTimer->subDetach(player);
  if (std::find(mPlayers.begin(), mPlayers.end(), &player) == mPlayers.end())
    mPlayers.push_back(&player);
  player.mtimerPositionCheckTimer = this;
}

void cPositionCheckTimer::subDetach(cAudioPlaybackSystem& player) {
  mPlayers.erase(std::remove(mPlayers.begin(), mPlayers.end(), &player), mPlayers.end());
  if (player.mtimerPositionCheckTimer == this) player.mtimerPositionCheckTimer = nullptr;
}

void cPositionCheckTimer::subTick() {
  if (mClock != nullptr) mClock->subAdvance(mlIntervalMs);
  const std::vector<cAudioPlaybackSystem*> players = mPlayers;
  for (cAudioPlaybackSystem* player : players) {
    // One detached (or destroyed) during this tick is not polled.
    if (std::find(mPlayers.begin(), mPlayers.end(), player) == mPlayers.end()) continue;
    player->mtimerPositionCheckTimer_Timer();
  }
}

void cPositionCheckTimer::subTicks(int32_t ilCount) {
  for (int32_t i = 0; i < ilCount; ++i) subTick();
}

}  // namespace lyn
