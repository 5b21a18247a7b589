#include "VOKAlertSound.h"

#include "VOKDispatch.h"

#include <QApplication>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex playerMutex;
VOKAlertSound::Player currentPlayer;

void systemBeep()
{
    // The beep lives in the widget layer; without a widget application there is nothing to sound.
    vokOnMain([] {
        if (qobject_cast<QApplication *>(QCoreApplication::instance()))
            QApplication::beep();
    });
}

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
    else
        systemBeep();
}

Player setPlayer(Player player)
{
    QMutexLocker lock(&playerMutex);
    std::swap(currentPlayer, player);
    return player;
}

} // namespace VOKAlertSound
