#pragma once

#include <QApplication>

#include <memory>

// The application object a test suite runs in. TestMain's own answer is a plain QApplication; a
// suite that needs Vindle's application class defines this function itself, and the linker
// takes that definition instead.
std::unique_ptr<QApplication> makeTestApplication(int &argc, char **argv);
