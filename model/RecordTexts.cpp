#include "model/RecordTexts.h"

#include "model/Cp1251.h"
#include "model/Format.h"

namespace qem {
namespace {

template <int N>
std::string Text(const ShortStr<N>& s) {
    return Cp1251ToUtf8(s.str());
}

}  // namespace

std::string LineSelectorText(const TyLine& line) {
    return Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)), Text(line.From), Text(line.To));
}

std::string SpanListText(const TySpan& span) { return Format("%5s - %5s", Text(span.Nop1), Text(span.Nop2)); }

std::string WireText(const TyWire& wire) { return Format("%29s-%4.0f/%3.0f", Text(wire.Name), wire.SAlN, wire.SStN); }

std::vector<std::string> LineSelectorItems(const Network& net) {
    std::vector<std::string> items;
    for (int l = 1; l <= net.NLines(); ++l) items.push_back(LineSelectorText(net.Line(l)));
    return items;
}

std::vector<std::string> SpanListItems(const TyLine& line) {
    std::vector<std::string> items;
    for (int s = 1; s <= line.NSpans(); ++s) items.push_back(SpanListText(line.Span(s)));
    return items;
}

}  // namespace qem
