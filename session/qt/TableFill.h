#pragma once
// Showing a TextGrid in a table widget.
#include <QHeaderView>
#include <QPalette>
#include <QStringList>
#include <QTableWidget>

#include "model/TextGrid.h"

namespace qem::ui {

inline QString Utf(const std::string& s) { return QString::fromStdString(s); }
inline QString Utf(const char* s) { return QString::fromUtf8(s); }

// Row 0 of the grid becomes the column titles; the other rows the table's rows.
inline void FillWithHeader(QTableWidget* t, const TextGrid& g) {
    const QSignalBlocker block(t);
    t->clear();
    t->setColumnCount(g.colCount);
    t->setRowCount(std::max(0, g.rowCount() - 1));
    QStringList titles;
    for (int c = 0; c < g.colCount; ++c) titles << (g.rowCount() > 0 ? Utf(g.at(0, c)) : QString());
    t->setHorizontalHeaderLabels(titles);
    for (int r = 1; r < g.rowCount(); ++r)
        for (int c = 0; c < g.colCount; ++c) t->setItem(r - 1, c, new QTableWidgetItem(Utf(g.at(r, c))));
}

// The whole grid, its first row and column fixed (not editable, on the button colour).
inline void FillFixed(QTableWidget* t, const TextGrid& g) {
    const QSignalBlocker block(t);
    t->clear();
    t->horizontalHeader()->hide();
    t->verticalHeader()->hide();
    t->setColumnCount(g.colCount);
    t->setRowCount(g.rowCount());
    const QBrush fixed = t->palette().brush(QPalette::Button);
    for (int r = 0; r < g.rowCount(); ++r)
        for (int c = 0; c < g.colCount; ++c) {
            auto* item = new QTableWidgetItem(Utf(g.at(r, c)));
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixed);
            }
            t->setItem(r, c, item);
        }
}

}  // namespace qem::ui
