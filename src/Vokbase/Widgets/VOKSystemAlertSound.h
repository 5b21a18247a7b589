#pragma once

// Makes VOKAlertSound::play() sound the system alert (QApplication::beep, on the GUI thread).
// Call once on the GUI thread after the QApplication exists.
void vokInstallSystemAlertSound();
