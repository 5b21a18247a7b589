#pragma once

#include <functional>

// The alert sound ("beep") as the core layer knows it: a hook. The widgets layer installs the
// system sound at start-up (vokInstallSystemAlertSound); without a player, play() is silent, as
// in `vindle --dump`.
//
// Thread safety: play() and setPlayer() may be called from any thread; setPlayer() is meant for
// start-up and tests.
namespace VOKAlertSound {

// Sounds the alert once.
void play();

// Replaces what play() does (tests count beeps this way; an empty player makes it silent) and
// answers the previous player. The player runs on the thread that called play().
using Player = std::function<void()>;
Player setPlayer(Player player);

} // namespace VOKAlertSound
