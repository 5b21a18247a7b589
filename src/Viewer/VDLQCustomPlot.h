#pragma once

// QCustomPlot's header uses Qt's lower-case keywords, which this code base switches off
// (QT_NO_KEYWORDS): it is read with them standing for the macros they stand for in Qt.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define foreach Q_FOREACH
#include <qcustomplot.h>
#undef foreach
#undef slots
#undef signals
