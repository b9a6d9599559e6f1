#pragma once
// How qemcli hands a report to the PDF writer `qempdf` (a program of its own, so that qemcli
// itself starts without the window toolkit): on the writer's standard input, the heading and
// every line of the report, each text preceded by its length.
//
//   QEMPDF 1\n
//   <title length>\n<title>\n
//   <subject length>\n<subject>\n
//   <table head first> <table head count>\n
//   <line count>\n
//   then per line: <K|R|B> <text length>\n<text>\n        (K black, R red, B blue)
//
// Texts are UTF-8. The writer answers with exit code 0, or 1 and its reason on standard error.
#include <istream>
#include <optional>
#include <string>

#include "engine/Report.h"

namespace qem::cli {

struct WireHeading {
    std::string title, subject;
    int tableHeadFirst = 0, tableHeadCount = 0;
};

std::string EncodeReport(const WireHeading& heading, const Report& r);

// The heading and the report of a request; nullopt when the request is not in this form.
struct WireRequest {
    WireHeading heading;
    Report report;
};
std::optional<WireRequest> DecodeReport(std::istream& in);

}  // namespace qem::cli
