#include "engine/Report.h"

#include "model/Cp1251.h"

namespace qem {

std::string Report::PlainText() const {
    std::string s;
    for (const auto& l : lines) s += l.text + "\n";
    return s;
}

std::string AnsiText(const Report& r) {
    std::string s;
    for (const auto& l : r.lines) {
        switch (l.colour) {
            case Colour::Black: s += l.text; break;
            case Colour::Red: s += "\x1b[31m" + l.text + "\x1b[0m"; break;
            case Colour::Blue: s += "\x1b[34m" + l.text + "\x1b[0m"; break;
        }
        s += "\n";
    }
    return s;
}

std::string Cp1251Text(const Report& r) {
    std::string s;
    for (const auto& l : r.lines) s += Utf8ToCp1251(l.text) + "\r\n";
    return s;
}

Report ReportFromCp1251(const std::string& bytes) {
    Report r;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t e = bytes.find('\n', start);
        std::string line = bytes.substr(start, e == std::string::npos ? std::string::npos : e - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        r.add(Cp1251ToUtf8(line));
        if (e == std::string::npos) break;
        start = e + 1;
    }
    return r;
}

}  // namespace qem
