// Reports on A4 pages: where the pages break. A table never leaves its last rows (or its first
// ones) alone on a page: in the PDF as the user gets it, and over many sizes of report.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "lines/qt/ReportPrint.h"

using namespace qem;
using namespace qem::ui;

namespace {

bool IsTable(const QString& line) {
    const QString t = line.trimmed();
    return t.startsWith('|') || t.startsWith("---");
}

// The text lines of page n of a PDF.
QStringList PdfPage(const QString& pdf, int n) {
    QProcess p;
    p.start("pdftotext", {"-layout", "-f", QString::number(n), "-l", QString::number(n), pdf, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n');
}

// A table of `rows` rows between two rules, as the span report draws them.
void AddTable(Report& r, int rows) {
    r.add(" " + std::string(60, '-'));
    for (int k = 1; k <= rows; ++k)
        r.add(" |Параметр " + std::to_string(k) + std::string(40, ' ') + "|   " + std::to_string(k) + " |");
    r.add(" " + std::string(60, '-'));
}

}  // namespace

class TestReportPrint : public QObject {
    Q_OBJECT
private slots:
    // A table whose closing rule would fall on the next page goes there whole, with its title.
    void thePdfKeepsATableWithItsLastRows() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("r.pdf");
        const PrintHeading h{"Расчет режима пролета", "ВЛ 110 кВ А-Б, пролет 1 - 2", "01.02.2026 10:00"};
        // How many report lines a page holds.
        Report filler;
        for (int k = 1; k <= 200; ++k) filler.add("   строка " + std::to_string(k));
        QVERIFY(SaveReportPdf(pdf, filler, h));
        const int perPage = int(PdfPage(pdf, 1).filter(QRegularExpression("строка \\d+")).size());
        QVERIFY2(perPage > 20, qPrintable(QString::number(perPage)));

        // Lines enough that only the table's closing rule is left for page 2.
        Report r;
        const int rows = 7, tableLines = rows + 2;
        for (int k = 1; k <= perPage - tableLines; ++k) r.add("   строка " + std::to_string(k));
        r.add("       Результаты расчета");
        AddTable(r, rows);
        QCOMPARE(int(r.lines.size()), perPage + 1);
        QVERIFY(SaveReportPdf(pdf, r, h));
        const QStringList page1 = PdfPage(pdf, 1), page2 = PdfPage(pdf, 2);
        QCOMPARE(int(page2.filter(QRegularExpression("^\\s*(\\||---)")).size()), tableLines);
        QVERIFY(!page2.filter("Результаты расчета").isEmpty());
        QCOMPARE(int(page1.filter(QRegularExpression("^\\s*(\\||---)")).size()), 0);
    }

    // Over many sizes of page, text and table: every line once and in order, and a break inside
    // a table leaves at least three of its lines on either side; a table that fits on a page is
    // not broken at all.
    void noBreakLeavesATableFragmentAlone() {
        for (int perPage = 8; perPage <= 24; ++perPage)
            for (int before = 0; before <= 12; ++before)
                for (int rows = 1; rows <= 40; rows += 3) {
                    Report r;
                    r.add("       Результаты расчета");
                    for (int k = 0; k < before; ++k) r.add("   текст");
                    AddTable(r, rows);
                    r.add("");
                    r.add("   после таблицы");
                    const auto pages = ReportPageLines(r, perPage);
                    std::vector<int> all;
                    for (const auto& p : pages) {
                        QVERIFY(!p.empty() && int(p.size()) <= perPage);
                        all.insert(all.end(), p.begin(), p.end());
                    }
                    QCOMPARE(int(all.size()), int(r.lines.size()));
                    for (int i = 0; i < int(all.size()); ++i) QCOMPARE(all[std::size_t(i)], i);
                    const int table = rows + 2;
                    for (std::size_t n = 0; n + 1 < pages.size(); ++n) {
                        const int last = pages[n].back(), next = pages[n + 1].front();
                        const bool inside = IsTable(QString::fromStdString(r.lines[std::size_t(last)].text)) &&
                                            IsTable(QString::fromStdString(r.lines[std::size_t(next)].text));
                        if (!inside) continue;
                        const int first = 1 + before;  // the table's first line
                        const QString where =
                            QString("perPage %1 before %2 rows %3").arg(perPage).arg(before).arg(rows);
                        QVERIFY2(table > perPage, qPrintable(where));
                        QVERIFY2(next - first >= 3 && first + table - next >= 3, qPrintable(where));
                    }
                }
    }

    // The repeated column titles of a long table head every further page and count in its room.
    void theColumnTitlesHeadEveryFurtherPage() {
        Report r;
        r.add("       Результаты расчета");
        AddTable(r, 50);
        const auto pages = ReportPageLines(r, 20, 1, 2);
        QVERIFY(pages.size() >= 3);
        for (std::size_t n = 1; n < pages.size(); ++n) {
            QCOMPARE(pages[n][0], 1);
            QCOMPARE(pages[n][1], 2);
            QVERIFY(int(pages[n].size()) <= 20);
        }
        QCOMPARE(pages.back().back(), int(r.lines.size()) - 1);
        QVERIFY(pages.back().size() >= 2 + 3);
    }
};

QTEST_MAIN(TestReportPrint)
#include "test_report_print.moc"
