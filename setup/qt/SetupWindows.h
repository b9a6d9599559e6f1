#pragma once
// Entry points of the span set-up windows. Each opens its window modally on the current span
// of the open network and returns when it is closed.
#include "model/AppState.h"
#include "platform/Dialogs.h"

class QWidget;

namespace qem::ui {

// "Расчет начальных условий" (the measurement list, the sky condition, the reference state
// and its commands); true when closed by "ОК".
bool ShowInitialConditions(QWidget* parent, AppState& app, Dialogs& dialogs);
// The menu command "Замеры параметров...": the same dialog.
bool ShowMeasurements(QWidget* parent, AppState& app, Dialogs& dialogs);
// "Установка замеров": the two-point set of the current span.
void ShowTwoPointSet(QWidget* parent, AppState& app, Dialogs& dialogs);
// "Задать препятсвия": the obstacles of the current span; the network is saved on closing.
void ShowObstacles(QWidget* parent, AppState& app, Dialogs& dialogs);
// "Профиль трассы": the route profile of the current span.
void ShowRouteProfile(QWidget* parent, AppState& app, Dialogs& dialogs);

}  // namespace qem::ui
