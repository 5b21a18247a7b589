#pragma once

#include <functional>

// The system alert sound ("beep").
//
// Thread safety: play() may be called from any thread; the sound itself is made on the GUI
// thread. setPlayer() is meant for start-up and tests.
namespace VOKAlertSound {

// Sounds the alert once.
void play();

// Replaces what play() does (tests count beeps this way; an empty player restores the system
// sound) and answers the previous player. The player runs on the thread that called play().
using Player = std::function<void()>;
Player setPlayer(Player player);

} // namespace VOKAlertSound
