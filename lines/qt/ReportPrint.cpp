#include "lines/qt/ReportPrint.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <exception>
#include <vector>

#include "lines/qt/ReportView.h"
#include "platform/FileSystem.h"

namespace qem::ui {
namespace {

constexpr double kMarginMm = 12;
constexpr double kMaxBodyPt = 10;   // the report font never grows beyond this
constexpr double kMinBodyPt = 5;    // nor shrinks below
constexpr double kLandscapeBelowPt = 8;

// Widest line of the report, in characters (the report font has a fixed pitch).
int WidestLine(const Report& r) {
    int w = 1;
    for (const ReportLine& l : r.lines) w = std::max<int>(w, int(QString::fromStdString(l.text).size()));
    return w;
}

// Width of one character of the report font at 1 point, in points.
double AdvancePerPoint() {
    QFont f = ReportFont();
    f.setPointSizeF(100);
    const QFontMetricsF fm(f);
    // Metrics of the screen: 72 points an inch on a device of `logicalDpiX` dots an inch.
    return fm.horizontalAdvance(QLatin1Char('0')) / 100.0 * 72.0 / fm.fontDpi();
}

QFont SizedFont(QFont f, double pt) {
    f.setPointSizeF(pt);
    return f;
}

QFont HeadingFont(double pt, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pt);
    f.setBold(bold);
    return f;
}

}  // namespace

QPageLayout::Orientation ReportOrientation(const Report& r) {
    const double widthPt = (210 - 2 * kMarginMm) / 25.4 * 72;
    const double pt = widthPt / (WidestLine(r) * AdvancePerPoint());
    return pt < kLandscapeBelowPt ? QPageLayout::Landscape : QPageLayout::Portrait;
}

int PaintReport(QPagedPaintDevice& device, const Report& r, const PrintHeading& h) {
    QPainter p(&device);
    const double dpi = device.logicalDpiX();
    const QRectF page(QPointF(0, 0), device.pageLayout().paintRectPixels(int(dpi)).size());
    auto mm = [&](double v) { return v / 25.4 * dpi; };

    // The body font as large as the widest line allows, at most 10 points.
    const double widthPt = page.width() / dpi * 72;
    const double bodyPt = std::clamp(widthPt / (WidestLine(r) * AdvancePerPoint()), kMinBodyPt, kMaxBodyPt);
    const QFont body = SizedFont(ReportFont(), bodyPt);
    const QFont title = HeadingFont(11, true), small = HeadingFont(8, false);
    const QFontMetricsF fb(body, &device), ft(title, &device), fs(small, &device);

    const double headingHeight = ft.height() + fs.height() + mm(2.5);
    const double footerHeight = fs.height() + mm(2);
    const double line = fb.lineSpacing();
    const int perPage = std::max(1, int((page.height() - headingHeight - footerHeight) / line));
    const int lines = int(r.lines.size());
    // The lines of each page: the first page from the top, every further one under the
    // repeated column titles of the table (when they leave room for the table itself).
    const int head = h.tableHeadCount > 0 && h.tableHeadFirst >= 0 && h.tableHeadFirst + h.tableHeadCount <= lines &&
                             h.tableHeadCount * 2 < perPage
                         ? h.tableHeadCount
                         : 0;
    std::vector<std::vector<int>> pageLines;
    for (int i = 0; i < lines || pageLines.empty();) {
        std::vector<int> v;
        if (!pageLines.empty())
            for (int k = 0; k < head; ++k) v.push_back(h.tableHeadFirst + k);
        while (int(v.size()) < perPage && i < lines) v.push_back(i++);
        pageLines.push_back(std::move(v));
    }
    const int pages = int(pageLines.size());

    for (int n = 0; n < pages; ++n) {
        if (n > 0) device.newPage();
        // Heading: what and of which line on the left, the date on the right, a rule under.
        p.setPen(Qt::black);
        p.setFont(title);
        p.drawText(QPointF(0, ft.ascent()), h.title);
        p.setFont(small);
        p.drawText(QRectF(0, 0, page.width(), ft.height()), Qt::AlignRight | Qt::AlignVCenter, h.date);
        p.drawText(QPointF(0, ft.height() + fs.ascent()), h.subject);
        const double rule = ft.height() + fs.height() + mm(1);
        p.setPen(QPen(Qt::black, mm(0.2)));
        p.drawLine(QPointF(0, rule), QPointF(page.width(), rule));

        // The lines of this page in their colours.
        p.setFont(body);
        double y = headingHeight + fb.ascent();
        for (int i : pageLines[n]) {
            p.setPen(ReportColour(r.lines[i].colour));
            p.drawText(QPointF(0, y), QString::fromStdString(r.lines[i].text));
            y += line;
        }

        // Footer: the program on the left, the page in the middle.
        p.setPen(Qt::black);
        p.setFont(small);
        const QRectF foot(0, page.height() - fs.height(), page.width(), fs.height());
        p.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QEM 1.9.3"));
        p.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter,
                   QStringLiteral("Страница %1 из %2").arg(n + 1).arg(pages));
    }
    return pages;
}

bool SaveReportPdf(const QString& file, const Report& r, const PrintHeading& h, QString* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("QEM 1.9.3"));
        pdf.setTitle(h.title + QStringLiteral(" — ") + h.subject);
        pdf.setResolution(600);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), ReportOrientation(r),
                                      QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
        PaintReport(pdf, r, h);
    }
    try {
        const QByteArray& bytes = buffer.data();
        WriteFileAtomically(file.toStdString(), std::string(bytes.constData(), std::size_t(bytes.size())));
    } catch (const std::exception& e) {
        if (error) *error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

void PrintReportOn(QPrinter& printer, const Report& r, const PrintHeading& h) {
    printer.setPageOrientation(ReportOrientation(r));
    printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    PaintReport(printer, r, h);
}

}  // namespace qem::ui
