#include "VOKAlertSound.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex playerMutex;
VOKAlertSound::Player currentPlayer;

} // namespace

namespace VOKAlertSound {

void play()
{
    Player player;
    {
        QMutexLocker lock(&playerMutex);
        player = currentPlayer;
    }
    if (player)
        player();
}

Player setPlayer(Player player)
{
    QMutexLocker lock(&playerMutex);
    std::swap(currentPlayer, player);
    return player;
}

} // namespace VOKAlertSound
