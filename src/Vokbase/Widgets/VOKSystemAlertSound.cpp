#include "VOKSystemAlertSound.h"

#include "VOKAlertSound.h"
#include "VOKDispatch.h"

#include <QApplication>

void vokInstallSystemAlertSound()
{
    VOKAlertSound::setPlayer([] { vokOnMain([] { QApplication::beep(); }); });
}
