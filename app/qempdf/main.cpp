// qempdf: writes a report of qemcli as an A4 PDF document through the same layout as the
// windowed program's "Сохранить в PDF…". qemcli runs it for --pdf; it reads the report from its
// standard input (app/qemcli/ReportWire.h).
//
//   qempdf OUT.pdf < REQUEST
#include <QDateTime>
#include <QGuiApplication>
#include <iostream>

#include "app/qemcli/ReportWire.h"
#include "lines/qt/ReportPrint.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: qempdf OUT.pdf < REQUEST\n";
        return 2;
    }
    std::ios::sync_with_stdio(false);
    const std::optional<qem::cli::WireRequest> req = qem::cli::DecodeReport(std::cin);
    if (!req) {
        std::cerr << "the report handed to the PDF writer is damaged\n";
        return 1;
    }
    // Qt's own notes (a missing runtime folder and the like) are not the program's messages.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qargc = 1;
    char name[] = "qempdf";
    char* qargv[] = {name, nullptr};
    QGuiApplication app(qargc, qargv);
    const qem::cli::WireHeading& h = req->heading;
    qem::ui::PrintHeading heading{QString::fromStdString(h.title), QString::fromStdString(h.subject),
                                  QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                                  h.tableHeadFirst, h.tableHeadCount};
    QString error;
    if (!qem::ui::SaveReportPdf(QString::fromLocal8Bit(argv[1]), req->report, heading, &error)) {
        std::cerr << error.toStdString() << "\n";
        return 1;
    }
    return 0;
}
