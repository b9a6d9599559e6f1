#include "lines/qt/ReportPrint.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QGraphicsView>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <vector>

#include "lines/qt/ReportView.h"
#include "platform/FileSystem.h"

namespace qem::ui {
namespace {

constexpr double kMarginMm = 12;
constexpr double kMaxBodyPt = 10;  // the report font never grows beyond this
constexpr double kMinBodyPt = 5;   // nor shrinks below
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

// Height of the heading (title and subject lines and the rule) on the device, with the gap
// under it.
double HeadingHeight(QPaintDevice& device) {
    const QFontMetricsF ft(HeadingFont(11, true), &device), fs(HeadingFont(8, false), &device);
    return ft.height() + fs.height() + 2.5 / 25.4 * device.logicalDpiY();
}
double FooterHeight(QPaintDevice& device) {
    return QFontMetricsF(HeadingFont(8, false), &device).height() + 2 / 25.4 * device.logicalDpiY();
}

// The heading: what and of which line on the left, the date on the right, a rule under.
void PaintHeading(QPainter& p, const QRectF& page, double dpi, const PrintHeading& h) {
    const QFont title = HeadingFont(11, true), small = HeadingFont(8, false);
    const QFontMetricsF ft(title, p.device()), fs(small, p.device());
    p.setPen(Qt::black);
    p.setFont(title);
    p.drawText(QPointF(0, ft.ascent()), h.title);
    p.setFont(small);
    p.drawText(QRectF(0, 0, page.width(), ft.height()), Qt::AlignRight | Qt::AlignVCenter, h.date);
    p.drawText(QPointF(0, ft.height() + fs.ascent()), h.subject);
    const double rule = ft.height() + fs.height() + 1 / 25.4 * dpi;
    p.setPen(QPen(Qt::black, 0.2 / 25.4 * dpi));
    p.drawLine(QPointF(0, rule), QPointF(page.width(), rule));
}

// The footer: the program on the left, the page in the middle.
void PaintFooter(QPainter& p, const QRectF& page, int n, int pages) {
    const QFont small = HeadingFont(8, false);
    const QFontMetricsF fs(small, p.device());
    p.setPen(Qt::black);
    p.setFont(small);
    const QRectF foot(0, page.height() - fs.height(), page.width(), fs.height());
    p.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QEM 1.9.3"));
    p.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Страница %1 из %2").arg(n).arg(pages));
}

// A PDF of A4 pages in `orientation` painted by `paint`, written atomically.
template <class Paint>
bool SavePdfOf(const QString& file, const QString& title, QPageLayout::Orientation orientation, Paint paint,
               QString* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("QEM 1.9.3"));
        pdf.setTitle(title);
        pdf.setResolution(600);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation,
                                      QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
        paint(pdf);
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

// A line of a table: a row or a rule, starting (after one blank at most) with '|' or '-'.
bool TableLine(const ReportLine& l) {
    const std::string& t = l.text;
    const std::size_t i = !t.empty() && t[0] == ' ' ? 1 : 0;
    return i < t.size() && (t[i] == '|' || t[i] == '-');
}

// The least number of a table's lines on either side of a page break.
constexpr int kKeepTableLines = 3;

}  // namespace

std::vector<std::vector<int>> ReportPageLines(const Report& r, int perPage, int headFirst, int headCount) {
    const int lines = int(r.lines.size());
    perPage = std::max(1, perPage);
    const int head =
        headCount > 0 && headFirst >= 0 && headFirst + headCount <= lines && headCount * 2 < perPage ? headCount : 0;
    auto table = [&](int i) { return i >= 0 && i < lines && TableLine(r.lines[std::size_t(i)]); };
    std::vector<std::vector<int>> pages;
    for (int i = 0; i < lines || pages.empty();) {
        std::vector<int> v;
        if (!pages.empty())
            for (int k = 0; k < head; ++k) v.push_back(headFirst + k);
        const int room = std::max(1, perPage - int(v.size()));
        const int natural = std::min(lines, i + room);
        int end = natural;
        if (end < lines && table(end - 1) && table(end)) {
            // The break falls inside the table ts .. te - 1.
            int ts = end - 1, te = end;
            while (ts > 0 && table(ts - 1)) --ts;
            while (te < lines && table(te)) ++te;
            const bool titled = ts - 1 > i && !r.lines[std::size_t(ts - 1)].text.empty() && !table(ts - 1);
            const int fresh = perPage - head;  // the room of the next page
            if (titled && te - ts + 1 <= fresh)
                end = ts - 1;  // the whole table and its title on the next page
            else if (te - ts <= fresh && ts > i)
                end = ts;  // the whole table on the next page
            else if (te - end < kKeepTableLines && te - kKeepTableLines - ts >= kKeepTableLines)
                end = te - kKeepTableLines;  // its last lines go on with a few before them
            else if (end - ts < kKeepTableLines && ts > i)
                end = ts;                 // its first lines do not stand alone at the foot of the page
            if (end <= i) end = natural;  // every page takes something
        }
        while (i < end) v.push_back(i++);
        pages.push_back(std::move(v));
    }
    return pages;
}

QString DocumentName(const PrintHeading& h) {
    const QDateTime when = QDateTime::fromString(h.date, QStringLiteral("dd.MM.yyyy hh:mm"));
    const QString date = when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd hh-mm")) : h.date;
    QString name = (h.title + ' ' + h.subject + ' ' + date).simplified();
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c)) c = '-';
    return name.left(200).trimmed();
}

QPageLayout::Orientation ReportOrientation(const Report& r) {
    const double widthPt = (210 - 2 * kMarginMm) / 25.4 * 72;
    const double pt = widthPt / (WidestLine(r) * AdvancePerPoint());
    return pt < kLandscapeBelowPt ? QPageLayout::Landscape : QPageLayout::Portrait;
}

namespace {

// The report laid out on the pages of a device: its font and the lines of each page.
struct ReportLayout {
    QFont body;
    double line = 0, headingHeight = 0;
    std::vector<std::vector<int>> pages;
};

ReportLayout LayoutReport(QPagedPaintDevice& device, const Report& r, const PrintHeading& h) {
    ReportLayout L;
    const double dpi = device.logicalDpiX();
    const QRectF page(QPointF(0, 0), device.pageLayout().paintRectPixels(int(dpi)).size());
    // The body font as large as the widest line allows, at most 10 points.
    const double widthPt = page.width() / dpi * 72;
    const double bodyPt = std::clamp(widthPt / (WidestLine(r) * AdvancePerPoint()), kMinBodyPt, kMaxBodyPt);
    L.body = SizedFont(ReportFont(), bodyPt);
    const QFontMetricsF fb(L.body, &device);
    L.headingHeight = HeadingHeight(device);
    const double footerHeight = FooterHeight(device);
    L.line = fb.lineSpacing();
    const int perPage = std::max(1, int((page.height() - L.headingHeight - footerHeight) / L.line));
    // The lines of each page: the first page from the top, every further one under the
    // repeated column titles of the table (when they leave room for the table itself); no
    // table broken before its last rows.
    L.pages = ReportPageLines(r, perPage, h.tableHeadFirst, h.tableHeadCount);
    return L;
}

// The pages of the report, numbered from first + 1 of `total`; a new page before each.
void PaintReportPages(QPainter& p, QPagedPaintDevice& device, const Report& r, const PrintHeading& h,
                      const ReportLayout& L, int first, int total) {
    const double dpi = device.logicalDpiX();
    const QRectF page(QPointF(0, 0), device.pageLayout().paintRectPixels(int(dpi)).size());
    const QFontMetricsF fb(L.body, &device);
    for (std::size_t n = 0; n < L.pages.size(); ++n) {
        if (n > 0 || first > 0) device.newPage();
        PaintHeading(p, page, dpi, h);

        // The lines of this page in their colours.
        p.setFont(L.body);
        double y = L.headingHeight + fb.ascent();
        for (int i : L.pages[n]) {
            p.setPen(ReportColour(r.lines[i].colour));
            p.drawText(QPointF(0, y), QString::fromStdString(r.lines[i].text));
            y += L.line;
        }

        PaintFooter(p, page, first + int(n) + 1, total);
    }
}

void PaintWidgetsPage(QPainter& p, QPagedPaintDevice& device, const QList<QWidget*>& widgets, const PrintHeading& h,
                      int number, int total);

}  // namespace

int PaintReport(QPagedPaintDevice& device, const Report& r, const PrintHeading& h) {
    const ReportLayout L = LayoutReport(device, r, h);
    QPainter p(&device);
    const int pages = int(L.pages.size());
    PaintReportPages(p, device, r, h, L, 0, pages);
    return pages;
}

bool SaveReportPdf(const QString& file, const Report& r, const PrintHeading& h, QString* error) {
    return SavePdfOf(
        file, h.title + QStringLiteral(" — ") + h.subject, ReportOrientation(r),
        [&](QPagedPaintDevice& d) { PaintReport(d, r, h); }, error);
}

void PrintReportOn(QPrinter& printer, const Report& r, const PrintHeading& h) {
    printer.setPageOrientation(ReportOrientation(r));
    printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    PaintReport(printer, r, h);
}

namespace {

void PaintWidgetsPage(QPainter& p, QPagedPaintDevice& device, const QList<QWidget*>& widgets, const PrintHeading& h,
                      int number, int total) {
    const double dpi = device.logicalDpiX();
    const QRectF page(QPointF(0, 0), device.pageLayout().paintRectPixels(int(dpi)).size());
    PaintHeading(p, page, dpi, h);
    const double top = HeadingHeight(device), bottom = page.height() - FooterHeight(device);
    const int n = int(widgets.size());
    for (int i = 0; i < n; ++i) {
        QWidget* w = widgets[i];
        // The widget's share of the page, its picture scaled to fit it with its proportions.
        const QRectF share(0, top + (bottom - top) * i / n, page.width(), (bottom - top) / n);
        const QSizeF size = QSizeF(w->size()).scaled(share.size(), Qt::KeepAspectRatio);
        const double scale = size.width() / std::max(1, w->width());
        p.save();
        p.translate(share.left() + (share.width() - size.width()) / 2, share.top());
        p.scale(scale, scale);
        if (auto* view = qobject_cast<QGraphicsView*>(w)) {
            // A chart: its scene drawn as lines and text, then the labels lying over it.
            QWidget* port = view->viewport();
            view->render(&p, QRectF(QPointF(0, 0), QSizeF(port->size())), port->rect());
            for (QWidget* label : port->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                if (label->isVisibleTo(port)) label->render(&p, label->pos(), QRegion(), QWidget::DrawChildren);
        } else {
            w->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
        }
        p.restore();
    }
    PaintFooter(p, page, number, total);
}

}  // namespace

void PaintWidgets(QPagedPaintDevice& device, const QList<QWidget*>& widgets, const PrintHeading& h) {
    QPainter p(&device);
    PaintWidgetsPage(p, device, widgets, h, 1, 1);
}

// The pictures on the first page, the report on the pages after it.
void PaintWidgetsAndReport(QPagedPaintDevice& device, const QList<QWidget*>& widgets, const Report& r,
                           const PrintHeading& h) {
    const ReportLayout L = LayoutReport(device, r, h);
    QPainter p(&device);
    const int total = 1 + int(L.pages.size());
    PaintWidgetsPage(p, device, widgets, h, 1, total);
    PaintReportPages(p, device, r, h, L, 1, total);
}

bool SaveWidgetsPdf(const QString& file, const QList<QWidget*>& widgets, const PrintHeading& h, QString* error) {
    return SavePdfOf(
        file, h.title + QStringLiteral(" — ") + h.subject, QPageLayout::Landscape,
        [&](QPagedPaintDevice& d) { PaintWidgets(d, widgets, h); }, error);
}

void PrintWidgetsOn(QPrinter& printer, const QList<QWidget*>& widgets, const PrintHeading& h) {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    PaintWidgets(printer, widgets, h);
}

bool SavePdf(const QString& file, const PrintJob& job, QString* error) {
    if (job.report && !job.pictures.isEmpty())
        return SavePdfOf(
            file, job.heading.title + QStringLiteral(" — ") + job.heading.subject, QPageLayout::Landscape,
            [&](QPagedPaintDevice& d) { PaintWidgetsAndReport(d, job.pictures, *job.report, job.heading); }, error);
    return job.report ? SaveReportPdf(file, *job.report, job.heading, error)
                      : SaveWidgetsPdf(file, job.pictures, job.heading, error);
}

bool PrintWithDialog(const PrintJob& job, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(DocumentName(job.heading));
    const bool both = job.report && !job.pictures.isEmpty();
    printer.setPageOrientation(job.report && !both ? ReportOrientation(*job.report) : QPageLayout::Landscape);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() != QDialog::Accepted) return false;
    if (both) {
        printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
        PaintWidgetsAndReport(printer, job.pictures, *job.report, job.heading);
    } else if (job.report)
        PrintReportOn(printer, *job.report, job.heading);
    else
        PrintWidgetsOn(printer, job.pictures, job.heading);
    return true;
}

}  // namespace qem::ui
