// PDF output of qemcli's reports through the same layout as the windowed program's "Сохранить
// в PDF…": a Qt application without windows (the offscreen platform) is made on first use.
#include <QDateTime>
#include <QGuiApplication>
#include <optional>
#include <stdexcept>

#include "app/qemcli/Cli.h"
#include "lines/qt/ReportPrint.h"

namespace qem::cli {
namespace {

void WritePdf(const ReportHeading& heading, const Report& r, const std::string& file) {
    // Qt's own notes (a missing runtime folder and the like) are not qemcli's messages.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::optional<QGuiApplication> app;
    int argc = 1;
    char name[] = "qemcli";
    char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app.emplace(argc, argv);
    }
    ui::PrintHeading h{QString::fromStdString(heading.title), QString::fromStdString(heading.subject),
                       QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                       heading.tableHeadFirst, heading.tableHeadCount};
    QString error;
    if (!ui::SaveReportPdf(QString::fromStdString(file), r, h, &error))
        throw std::runtime_error("the PDF file " + file + " could not be written: " + error.toStdString());
}

const bool registered = (PdfWriter() = WritePdf, true);

}  // namespace
}  // namespace qem::cli
