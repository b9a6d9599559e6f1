// "Расчёт по погоде" of the main window: its window, made on first use, runs its calculation as
// the other long calculations run (MainWindow::runLong).
#include "lines/qt/MainWindow.h"
#include "lines/qt/WeatherRatingPage.h"

namespace qem::ui {

void MainWindow::weatherRatingCommand() {
    auto* w = findChild<WeatherRatingPage*>();
    if (!w)
        w = new WeatherRatingPage(
            *app_, *dlg_, [this](const std::function<void(Dialogs&)>& f) { guarded([&] { runLong(f); }); }, this);
    w->refreshLines();
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace qem::ui
