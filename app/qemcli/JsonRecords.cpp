#include "app/qemcli/JsonRecords.h"

#include "app/qemcli/Cli.h"
#include "model/Cp1251.h"
#include "model/RecordFields.h"

namespace qem::cli {
namespace {

// Appends "name":value pairs of one object.
struct ObjectWriter {
    std::string& o;
    bool first = true;

    void key(const char* name) {
        if (!first) o += ',';
        first = false;
        o += JsonString(name);
        o += ':';
    }
    template <class T>
    void operator()(const char* name, const T& v) {
        key(name);
        Value(o, v);
    }

    static void Value(std::string& o, Integer v) { o += std::to_string(v); }
    static void Value(std::string& o, Byte v) { o += std::to_string(v); }
    static void Value(std::string& o, float v) { o += JsonSingle(v); }
    static void Value(std::string& o, double v) { o += JsonDouble(v); }
    template <int N>
    static void Value(std::string& o, const ShortStr<N>& s) {
        o += JsonString(Cp1251ToUtf8(s.str()));
    }
    template <std::size_t N>
    static void Value(std::string& o, const std::array<Byte, N>& a) {
        Array(o, a);
    }
    template <class T, int Lo, int Hi>
    static void Value(std::string& o, const IArray<T, Lo, Hi>& a) {
        Array(o, a);
    }
    static void Value(std::string& o, const std::vector<TySpan>& spans) {
        o += '[';
        for (std::size_t i = 0; i < spans.size(); ++i) {
            if (i) o += ',';
            o += "\n  ";
            Value(o, spans[i]);
        }
        o += ']';
    }
    template <class R>
    static auto Value(std::string& o, const R& r) -> decltype(VisitFields(r, std::declval<ObjectWriter&>()), void()) {
        o += '{';
        ObjectWriter w{o};
        VisitFields(r, w);
        o += '}';
    }
    template <class A>
    static void Array(std::string& o, const A& a) {
        o += '[';
        bool first = true;
        for (const auto& v : a) {
            if (!first) o += ',';
            first = false;
            Value(o, v);
        }
        o += ']';
    }
};

template <class R>
std::string Json(const R& r) {
    std::string o;
    ObjectWriter::Value(o, r);
    return o;
}

}  // namespace

std::string ToJson(const TyWire& x) { return Json(x); }
std::string ToJson(const TyKO& x) { return Json(x); }
std::string ToJson(const TyPrep& x) { return Json(x); }
std::string ToJson(const TyZamer& x) { return Json(x); }
std::string ToJson(const TySpan& x) { return Json(x); }
std::string ToJson(const TyLine& x) { return Json(x); }

std::string NetworkJson(const std::vector<TyLine>& lines) {
    std::string o = "{\"Lines\":[";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) o += ',';
        o += '\n';
        o += Json(lines[i]);
    }
    return o + "]}\n";
}

}  // namespace qem::cli
