#pragma once
// Reports on paper and in PDF: the fixed-pitch text with its red and blue lines, laid out on
// A4 pages with a heading (what the report is, the line, the date), page numbers, and the
// landscape orientation when the table is too wide to stand upright.
#include <QList>
#include <QPageLayout>
#include <QString>

#include "engine/Report.h"

class QPagedPaintDevice;
class QPrinter;
class QWidget;

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

// Pictures (charts, the span view) on one landscape page under the heading, one above the
// other, each drawn by the widget itself at the size of its share of the page.
void PaintWidgets(QPagedPaintDevice& device, const QList<QWidget*>& widgets, const PrintHeading& h);
bool SaveWidgetsPdf(const QString& file, const QList<QWidget*>& widgets, const PrintHeading& h,
                    QString* error = nullptr);
void PrintWidgetsOn(QPrinter& printer, const QList<QWidget*>& widgets, const PrintHeading& h);

// The pictures on a first landscape page, the report on the pages after it.
void PaintWidgetsAndReport(QPagedPaintDevice& device, const QList<QWidget*>& widgets, const Report& r,
                           const PrintHeading& h);

// Something to put on paper: a report, pictures, or pictures with a report after them.
struct PrintJob {
    const Report* report = nullptr;
    QList<QWidget*> pictures;
    PrintHeading heading;
    bool empty() const { return !report && pictures.isEmpty(); }
};
bool SavePdf(const QString& file, const PrintJob& job, QString* error = nullptr);
// Asks for the printer (its dialog over `parent`) and prints; false when the user cancelled.
bool PrintWithDialog(const PrintJob& job, QWidget* parent);

}  // namespace qem::ui
