#pragma once
// A report: lines of text, each with its colour. The windows render it in a fixed-pitch
// rich-text box, qemcli prints it, files hold it in Windows-1251 with CR LF.
#include <string>
#include <vector>

namespace qem {

enum class Colour { Black, Red, Blue };

struct ReportLine {
    std::string text;  // UTF-8
    Colour colour = Colour::Black;
    bool operator==(const ReportLine&) const = default;
};

struct Report {
    std::vector<ReportLine> lines;
    void add(std::string text, Colour c = Colour::Black) { lines.push_back({std::move(text), c}); }
    void clear() { lines.clear(); }
    // All lines joined by '\n' (no colours).
    std::string PlainText() const;
};

// The text with ANSI colours: red lines wrapped in ESC[31m ... ESC[0m, blue in ESC[34m ... ESC[0m.
std::string AnsiText(const Report& r);

// Windows-1251 bytes, every line ended by CR LF.
std::string Cp1251Text(const Report& r);

// Lines of a Windows-1251 text with CR LF (or LF) line ends, as UTF-8 black lines.
Report ReportFromCp1251(const std::string& bytes);

}  // namespace qem
