// What the result pages of the main window show, kept for printing; "Печать…" and "Сохранить в
// PDF…" of the menu "Файл".
#include <QDateTime>
#include <QTabWidget>
#include <QTextEdit>
#include <filesystem>

#include "lines/HeatModelCharts.h"
#include "lines/TemperatureCharts.h"
#include "lines/qt/MainWindow.h"
#include "lines/qt/ReportPrint.h"
#include "lines/qt/ReportView.h"
#include "lines/qt/SpanViewChart.h"
#include "lines/qt/TemperatureChartsView.h"
#include "session/AppState.h"

namespace qem::ui {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

PrintHeading Heading(const ReportHeading& h) {
    return {Q(h.title), Q(h.subject), QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")),
            h.tableHeadFirst, h.tableHeadCount};
}

}  // namespace

void MainWindow::showSpanResults(const Report& report, const SpanView& view, const SpanRegimeOutcome& outcome) {
    ShowReport(RichEditRez, report);
    ChartSpanView->setView(view);
    const TyLine& line = app_->net.Line(app_->net.CurLine);
    const TySpan& span = line.Span(app_->net.CurSpanOf(app_->net.CurLine));
    spanReport_ = {report, SpanReportHeading(line, span)};
    viewDrawn_ = true;
    // The temperature charts of the span at the report's currents; a regime whose heat balance
    // has no answer leaves them empty.
    try {
        const TemperatureCharts charts =
            BuildTemperatureCharts(span, app_->data.settings.LongTermTemp, ChartCurrents(span, outcome.sections));
        ChartTemperature->setCharts(charts);
        chartsDrawn_ = true;
        // The standards beside the program's own method and the emergency chart; a model whose
        // balance has no answer leaves them out, the program's own charts stay.
        try {
            ChartTemperature->setModelCharts(BuildHeatModelCharts(
                span, outcome.sections, ModelChoice::From(HeatModel::Qem, app_->data.heat), charts));
        } catch (const std::exception&) {
        }
    } catch (const std::exception&) {
        ChartTemperature->clear();
        chartsDrawn_ = false;
    }
}

void MainWindow::showLineTable(const Report& report, const ReportHeading& heading) {
    ShowReport(RichEditLineTable, report);
    lineReport_ = {report, heading};
}

PrintJob MainWindow::printJob() const {
    PrintJob p;
    const ReportHeading& span = spanReport_.heading;
    switch (PageControlMain->currentIndex()) {
        case PageSpanResult:
            if (PageControlSpanResult->currentIndex() == 0 && !spanReport_.report.lines.empty())
                p.report = &spanReport_.report, p.heading = Heading(span);
            if (PageControlSpanResult->currentIndex() == 1 && chartsDrawn_)
                p.pictures = ChartTemperature->views(), p.heading = Heading({"Температура провода", span.subject});
            if (PageControlSpanResult->currentIndex() == 2 && viewDrawn_)
                p.pictures = {ChartSpanView}, p.heading = Heading({"Вид пролета", span.subject});
            break;
        case PageLineResult:
            if (!lineReport_.report.lines.empty())
                p.report = &lineReport_.report, p.heading = Heading(lineReport_.heading);
            break;
        case PageSource:
            if (!seriesReport_.report.lines.empty())
                p.report = &seriesReport_.report, p.heading = Heading(seriesReport_.heading);
            break;
        default: break;
    }
    return p;
}

void MainWindow::printCommand() {
    const PrintJob job = printJob();
    if (job.empty()) {
        dlg_->Message("Печатать нечего: откройте страницу с результатами расчёта");
        return;
    }
    PrintWithDialog(job, this);
}

void MainWindow::pdfCommand() {
    const PrintJob job = printJob();
    if (job.empty()) {
        dlg_->Message("Сохранять нечего: откройте страницу с результатами расчёта");
        return;
    }
    // In the folder of the network file, else the data folder, a file named as the printer's
    // job: what, of which line and span, and when.
    std::filesystem::path folder = app_->data.dataDir;
    if (!app_->net.NetFileName.empty()) folder = std::filesystem::u8path(app_->net.NetFileName).parent_path();
    const std::string proposed =
        PathToUtf8(folder / std::filesystem::u8path((DocumentName(job.heading) + ".pdf").toStdString()));
    const std::optional<std::string> file = dlg_->SaveFileName(proposed, "Документ PDF|*.pdf", "pdf");
    if (!file) return;
    QString error;
    if (!SavePdf(Q(*file), job, &error))
        dlg_->Message("Документ PDF не записан: " + error.toStdString(), "", Icon::Error);
}

}  // namespace qem::ui
