#pragma once
// Report boxes of the main window: read-only rich text in a fixed-pitch font ("Courier New",
// else the system's fixed font), one paragraph per report line, red and blue lines coloured.
#include <QTextEdit>

#include "engine/Report.h"

namespace qem::ui {

// "Courier New" when it is installed with a fixed pitch, otherwise the system's fixed font.
QFont ReportFont();

// A read-only rich-text box without line wrapping, in the report font.
QTextEdit* NewReportBox(QWidget* parent, const QString& objectName);

// Replaces the text of the box with the report.
void ShowReport(QTextEdit* box, const Report& report);

// The colour of a report line.
QColor ReportColour(Colour c);

}  // namespace qem::ui
