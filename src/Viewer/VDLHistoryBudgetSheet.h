#pragma once

#include <QString>

class QWidget;

// The sheet that sets how much message history every connection may keep: "Keep at most N MB of
// message history", off by default (every message kept). The answer goes into the preferences
// (VDLHistoryBudget::PreferencesKey), which every viewer's client follows at once.
//
// GUI thread.
namespace VDLHistoryBudgetSheet {

// Opens the sheet on the window; it deletes itself when answered or gone.
void open(QWidget *window);

} // namespace VDLHistoryBudgetSheet
