#pragma once
// Entry points of the span set-up windows. Each opens its window modally on the current span
// of the open network and returns when it is closed.
#include "platform/Dialogs.h"
#include "session/AppState.h"

#include <functional>

class QWidget;
class QDialog;

namespace qem::ui {

// "Расчет начальных условий" (the measurement list, the sky condition, the reference state
// and its commands); true when closed by "ОК".
bool ShowInitialConditions(QWidget* parent, AppState& app, Dialogs& dialogs);
// The menu command "Замеры параметров...": the same dialog.
bool ShowMeasurements(QWidget* parent, AppState& app, Dialogs& dialogs);
// "Установка замеров": the two-point set of the current span.
void ShowTwoPointSet(QWidget* parent, AppState& app, Dialogs& dialogs);
// "Задать препятсвия": the obstacles of the current span, in a window that does not block the
// parent, placed at the parent window's left edge below its menu, tool bar and page tabs; one
// per parent (a second command brings the open one forward). `changed` runs after each change
// of the obstacles and when the window closes; the network is saved on closing (closed while a
// calculation runs, both once it has ended).
QDialog* ShowObstacles(QWidget* parent, AppState& app, Dialogs& dialogs, std::function<void()> changed = {});
// The parent's obstacle editor while it is open; nullptr otherwise.
QDialog* FindObstacleEditor(QWidget* parent);
// The editor shows the span that is now current (after the parent changed the current line
// or span); with `force` also when the span's record was replaced in place (spans or lines
// added, inserted, deleted or moved, a span pasted, another network opened).
void FollowCurrentSpan(QWidget* editor, bool force = false);
// "Профиль трассы": the route profile of the current span.
void ShowRouteProfile(QWidget* parent, AppState& app, Dialogs& dialogs);

}  // namespace qem::ui
