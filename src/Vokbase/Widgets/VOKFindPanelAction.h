#pragma once

// The argument of the "performFindPanelAction(int)" command that Edit ▸ Find…, Find Next and
// Find Previous send along the responder chain.
namespace VOKFindPanelAction {

enum Tag { ShowFindInterface = 1, FindNext = 2, FindPrevious = 3 };

} // namespace VOKFindPanelAction
