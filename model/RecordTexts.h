#pragma once
// The records as the lists and selectors of the windows name them (UTF-8).
#include <string>
#include <vector>

#include "model/Network.h"
#include "model/QEMcom.h"

namespace qem {

// "%3s кВ %s-%s" of the voltage class, From and To.
std::string LineSelectorText(const TyLine& line);
// "%5s - %5s" of Nop1 and Nop2.
std::string SpanListText(const TySpan& span);
// "%29s-%4.0f/%3.0f" of Name, SAlN and SStN.
std::string WireText(const TyWire& wire);

std::vector<std::string> LineSelectorItems(const Network& net);
std::vector<std::string> SpanListItems(const TyLine& line);

}  // namespace qem
