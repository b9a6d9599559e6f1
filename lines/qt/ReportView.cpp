#include "lines/qt/ReportView.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTextBlock>
#include <QTextCursor>

namespace qem::ui {

QFont ReportFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    if (!QFontInfo(f).fixedPitch()) f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The line table is 149 characters wide: at 9 points it fits a window on a common screen.
    f.setPointSize(9);
    return f;
}

QTextEdit* NewReportBox(QWidget* parent, const QString& objectName) {
    auto* box = new QTextEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setLineWrapMode(QTextEdit::NoWrap);
    box->setFont(ReportFont());
    box->document()->setDefaultFont(ReportFont());
    return box;
}

QColor ReportColour(Colour c) {
    switch (c) {
        case Colour::Red: return QColor(Qt::red);
        case Colour::Blue: return QColor(Qt::blue);
        case Colour::Black: break;
    }
    return QColor(Qt::black);
}

void ShowReport(QTextEdit* box, const Report& report) {
    box->clear();
    QTextCursor cur(box->document());
    cur.beginEditBlock();
    bool first = true;
    for (const ReportLine& line : report.lines) {
        if (!first) cur.insertBlock();
        first = false;
        QTextCharFormat fmt;
        fmt.setFont(ReportFont());
        fmt.setForeground(ReportColour(line.colour));
        cur.setCharFormat(fmt);
        cur.insertText(QString::fromStdString(line.text), fmt);
    }
    cur.endEditBlock();
    box->moveCursor(QTextCursor::Start);
}

}  // namespace qem::ui
