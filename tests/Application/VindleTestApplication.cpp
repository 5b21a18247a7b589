// The application suite runs inside Vindle's own application class, so its key tracking and
// start-up settings are the real ones.
#include "TestApplication.h"
#include "VDLApplication.h"

std::unique_ptr<QApplication> makeTestApplication(int &argc, char **argv)
{
    return std::make_unique<VDLApplication>(argc, argv);
}
