#pragma once
// A window that can change what a calculation reads takes no input while one runs: it is
// disabled from the start of each run to its end (at once when one runs already).
#include "platform/CalcRun.h"

class QWidget;

namespace qem::ui {

void TakeNoEditsWhileCalculating(QWidget* window, CalcRun& run);

}  // namespace qem::ui
