// The main window's spreadsheet exports: menu "Загрузка/Выгрузка в Excel" and the tool buttons
// "Выгрузить в Excel", "Выгрузить в Excel(Минимальная выгрузка)", "Выгрузить в Excel все
// линии", with a progress window that can stop the export between steps.
#include <QCheckBox>
#include <QProgressDialog>
#include <QProgressBar>
#include <QTabWidget>

#include "lines/Exports.h"
#include "lines/qt/MainWindow.h"
#include "lines/qt/ReportView.h"

namespace qem::ui {
namespace {

// The window's dialogs with the progress of an export shown in a window of its own, whose
// "Прервать" stops the export at its next step.
class ExportDialogs : public Dialogs {
public:
    ExportDialogs(Dialogs& inner, QWidget* parent) : inner_(inner), box_(parent) {
        box_.setWindowTitle(QStringLiteral("Выгрузка в Excel"));
        box_.setLabelText(QStringLiteral("Расчёт допустимых токов и заполнение книги…"));
        box_.setCancelButtonText(QStringLiteral("Прервать"));
        box_.setWindowModality(Qt::WindowModal);
        box_.setMinimumDuration(500);
        box_.setAutoReset(false);
        box_.setAutoClose(false);
        box_.setValue(0);
    }
    Answer Ask(const std::string& text, Buttons buttons, const std::string& title, Icon icon) override {
        return inner_.Ask(text, buttons, title, icon);
    }
    std::optional<std::string> OpenFileName(const std::string& d, const std::string& f, const std::string& e) override {
        return inner_.OpenFileName(d, f, e);
    }
    std::optional<std::string> SaveFileName(const std::string& d, const std::string& f, const std::string& e) override {
        return inner_.SaveFileName(d, f, e);
    }
    std::optional<std::string> BrowseFolder(const std::string& c, const std::string& r, const std::string& s) override {
        return inner_.BrowseFolder(c, r, s);
    }
    void Progress(int position, int max) override {
        inner_.Progress(position, max);
        box_.setMaximum(max);
        box_.setValue(position);
    }
    bool Cancelled() override { return box_.wasCanceled() || inner_.Cancelled(); }
    void ShowDocument(const std::string& path) override { inner_.ShowDocument(path); }

private:
    Dialogs& inner_;
    QProgressDialog box_;
};

}  // namespace

void MainWindow::exportCommand(ExportKind kind) {
    ExportSettings s;
    s.dataDir = app_->data.dataDir;
    s.useSourceCondition = CheckBoxUseSourceCondition && CheckBoxUseSourceCondition->isChecked();
    s.zamer = app_->currentZamer;
    ExportResult r;
    {
        ExportDialogs dlg(*dlg_, this);
        guarded([&] {
            switch (kind) {
                case ExportKind::Full: r = SpeedButtonSaveExcelClick(app_->net, app_->Env(), s, dlg); break;
                case ExportKind::Min: r = SpeedButtonSaveExcelMinClick(app_->net, app_->Env(), s, dlg); break;
                case ExportKind::All: r = SpeedButtonSaveExcelAllClick(app_->net, app_->Env(), s, dlg); break;
            }
        });
    }
    ProgressBar1->setValue(0);
    // The line calculations ran: the page of the line report shows the last one (+45 C).
    if (!r.lineReport.lines.empty()) ShowReport(RichEdit1, r.lineReport);
    // Wire counts below 1 became 1; the current line is the one the export started with.
    if (PageControl1->currentIndex() == PageSpans) showSpanPage();
    if (PageControl1->currentIndex() == PageSource) showSourcePage();
}

void MainWindow::connectExport(QAction* action, ExportKind kind) {
    connect(action, &QAction::triggered, this, [this, kind] { exportCommand(kind); });
}

}  // namespace qem::ui
