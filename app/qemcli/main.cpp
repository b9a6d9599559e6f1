// qemcli: the command-line front end of QEM for batch work and scripting.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/qemcli/Cli.h"
#include "model/Cp1251.h"

namespace qem::cli {

std::map<std::string, Command>& Registry() {
    static std::map<std::string, Command> r;
    return r;
}

Registrar::Registrar(Command c) { Registry()[c.name] = std::move(c); }

const std::vector<std::string> kCommonFlags = {"pue6", "yes", "no", "json", "help", "sea", "no-sea"};

std::string Args::get(const std::string& name, const std::string& def) const {
    auto it = options.find(name);
    return it == options.end() ? def : it->second;
}

int Args::getInt(const std::string& name) const {
    if (!has(name)) throw UsageError("missing option --" + name);
    const std::string v = get(name);
    int x = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), x);
    if (ec != std::errc() || p != v.data() + v.size())
        throw UsageError("--" + name + " expects an integer, got '" + v + "'");
    return x;
}

int Args::getInt(const std::string& name, int def) const { return has(name) ? getInt(name) : def; }

double Args::getReal(const std::string& name) const {
    if (!has(name)) throw UsageError("missing option --" + name);
    const std::string v = get(name);
    double x = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), x);
    if (ec != std::errc() || p != v.data() + v.size() || !std::isfinite(x))
        throw UsageError("--" + name + " expects a number, got '" + v + "'");
    return x;
}

double Args::getReal(const std::string& name, double def) const { return has(name) ? getReal(name) : def; }

std::string JsonString(const std::string& s) {
    std::string o = "\"";
    auto escape = [&o](unsigned code) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", code);
        o += buf;
    };
    for (std::size_t i = 0; i < s.size();) {
        const Utf8Char ch = DecodeUtf8Char(s, i);
        if (ch.length <= 0) {
            escape(0xDC00 | static_cast<unsigned char>(s[i]));  // a byte that is not UTF-8
            ++i;
            continue;
        }
        const char32_t c = ch.code;
        switch (c) {
            case '"': o += "\\\""; break;
            case '\\': o += "\\\\"; break;
            case '\n': o += "\\n"; break;
            case '\r': o += "\\r"; break;
            case '\t': o += "\\t"; break;
            default:
                if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
                    escape(static_cast<unsigned>(c));
                else
                    o.append(s, i, static_cast<std::size_t>(ch.length));
        }
        i += static_cast<std::size_t>(ch.length);
    }
    return o + "\"";
}

template <class T>
static std::string Shortest(T v) {
    if (std::isnan(v)) return "\"NaN\"";
    if (std::isinf(v)) return v > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, p);
}

std::string JsonSingle(float v) { return Shortest(v); }
std::string JsonDouble(double v) { return Shortest(v); }

static void PrintHelp() {
    std::cout << "qemcli - command-line front end of QEM 1.9.3 (overhead line ampacity and sag)\n\n"
                 "usage: qemcli COMMAND [ARGS] [--data DIR] [--pue6]\n\ncommands:\n";
    for (const auto& [name, c] : Registry()) std::cout << "  " << c.usage << "\n      " << c.summary << "\n";
    std::cout << "\ncommon options:\n"
                 "  --data DIR   folder of the catalogs, norms and settings (default: the program's data folder)\n"
                 "  --pue6       use the norms of the 6th edition (hdg6.cat) instead of the 7th (hdg7.cat)\n"
                 "  --jobs N     threads for the independent pieces of long calculations (default: every core;\n"
                 "               1: one piece after the other); the results are the same for any N\n";
}

static Args Parse(const Command& c, int argc, char** argv) {
    Args a;
    for (int i = 2; i < argc; ++i) {
        std::string s = argv[i];
        if (s.size() > 2 && s.compare(0, 2, "--") == 0) {
            std::string name = s.substr(2), value;
            auto eq = name.find('=');
            bool isFlag = false;
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            } else {
                for (const auto& f : kCommonFlags) isFlag |= f == name;
                for (const auto& f : c.flags) isFlag |= f == name;
                if (!isFlag) {
                    if (i + 1 >= argc) throw UsageError("option --" + name + " needs a value");
                    value = argv[++i];
                }
            }
            a.options[name] = value;
        } else {
            a.positional.push_back(s);
        }
    }
    return a;
}

}  // namespace qem::cli

int main(int argc, char** argv) {
    using namespace qem::cli;
    FilterStandardStreams();
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        PrintHelp();
        return argc < 2 ? 2 : 0;
    }
    auto it = Registry().find(argv[1]);
    if (it == Registry().end()) {
        std::cerr << "qemcli: unknown command '" << argv[1] << "' (qemcli --help lists the commands)\n";
        return 2;
    }
    try {
        Args a = Parse(it->second, argc, argv);
        if (a.has("help")) {
            std::cout << "usage: qemcli " << it->second.usage << "\n" << it->second.summary << "\n";
            return 0;
        }
        return it->second.run(a);
    } catch (const UsageError& e) {
        std::cerr << "qemcli " << argv[1] << ": " << e.what() << " (usage: qemcli " << it->second.usage << ")\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "qemcli " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
}
