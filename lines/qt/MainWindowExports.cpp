// The main window's spreadsheet exports: menu "Загрузка/Выгрузка в Excel" and the tool buttons
// "Выгрузить в Excel", "Выгрузить в Excel(Минимальная выгрузка)", "Выгрузить в Excel все
// линии", run as long calculations ("Отмена" stops them between steps).
#include <QCheckBox>
#include <QProgressBar>
#include <QTabWidget>

#include "lines/Exports.h"
#include "lines/qt/MainWindow.h"
#include "lines/qt/ReportView.h"

namespace qem::ui {

void MainWindow::exportCommand(ExportKind kind) {
    ExportSettings s;
    s.dataDir = app_->data.dataDir;
    s.useSourceCondition = CheckBoxUseSourceCondition && CheckBoxUseSourceCondition->isChecked();
    s.zamer = app_->currentZamer;
    ExportResult r;
    const CalcEnv env = app_->Env();
    guarded([&] {
        runLong([&](Dialogs& dlg) {
            switch (kind) {
                case ExportKind::Full: r = ExportLineTable(app_->net, env, s, dlg); break;
                case ExportKind::Min: r = ExportLineLimits(app_->net, env, s, dlg); break;
                case ExportKind::All: r = ExportAllLines(app_->net, env, s, dlg); break;
            }
        });
    });
    // The line calculations ran: the page of the line report shows the last one (+45 C).
    if (!r.lineReport.lines.empty()) showLineTable(r.lineReport, LineReportHeading(app_->net.Line(app_->net.CurLine)));
    // Wire counts below 1 became 1; the current line is the one the export started with.
    if (PageControlMain->currentIndex() == PageSpans) showSpanPage();
    if (PageControlMain->currentIndex() == PageSource) showSourcePage();
}

void MainWindow::connectExport(QAction* action, ExportKind kind) {
    connect(action, &QAction::triggered, this, [this, kind] { exportCommand(kind); });
}

}  // namespace qem::ui
