#pragma once
// Reports on paper and in PDF: the fixed-pitch text with its red and blue lines, laid out on
// A4 pages with a heading (what the report is, the line, the date), page numbers, and the
// landscape orientation when the table is too wide to stand upright.
#include <QPageLayout>
#include <QString>

#include "engine/Report.h"

class QPagedPaintDevice;
class QPrinter;

namespace qem::ui {

struct PrintHeading {
    QString title;    // "Расчет режима пролета"
    QString subject;  // "ВЛ 500 кВ ПС Восточная-ПС Западная, пролет 2 - 3"
    QString date;     // when the report was made, "10.12.2026 14:05"
    int tableHeadFirst = 0, tableHeadCount = 0;  // report lines repeated atop every further page
};

// Landscape when the widest line would need a font below 8 points across a portrait page.
QPageLayout::Orientation ReportOrientation(const Report& r);

// Lays the report out on the pages of `device` (its page layout already set); the number of
// pages.
int PaintReport(QPagedPaintDevice& device, const Report& r, const PrintHeading& h);

// The report as a PDF file written atomically; false with `error` set when it cannot be written.
bool SaveReportPdf(const QString& file, const Report& r, const PrintHeading& h, QString* error = nullptr);

// Prints the report on `printer` in its orientation.
void PrintReportOn(QPrinter& printer, const Report& r, const PrintHeading& h);

}  // namespace qem::ui
