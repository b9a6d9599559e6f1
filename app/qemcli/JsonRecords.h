#pragma once
// Records as JSON objects: every field by its name in stored order, strings converted from
// Windows-1251 to UTF-8, Singles as the shortest text that reads back to the same value,
// arrays as JSON arrays, reserved byte blocks as arrays of byte values.
#include <string>
#include <vector>

#include "model/QEMcom.h"

namespace qem::cli {

std::string ToJson(const TyWire& x);
std::string ToJson(const TyKO& x);
std::string ToJson(const TyPrep& x);
std::string ToJson(const TyZamer& x);
std::string ToJson(const TySpan& x);
std::string ToJson(const TyLine& x);
// {"Lines":[...]}, one line image per text line.
std::string NetworkJson(const std::vector<TyLine>& lines);

}  // namespace qem::cli
