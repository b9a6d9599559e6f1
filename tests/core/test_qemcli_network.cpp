// qemcli dump, check and resave run as the user runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "NetworkFixtures.h"
#include "model/NetworkFile.h"

using namespace qem;
using namespace qem::test;

namespace {

struct CliRun {
    int code = -1;
    std::string out, err;
};

std::string Slurp(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Sh(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

const std::string kCli = std::string(QEM_BIN_DIR) + "/qemcli";

CliRun Qemcli(const std::string& args, const TempFolder& dir) {
    CliRun r;
    const auto err = dir.path() / "stderr.txt";
    const std::string cmd = Sh(kCli) + " " + args + " 2>" + Sh(err.string());
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[65536];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.err = Slurp(err);
    return r;
}

// A small JSON syntax check: one value and nothing after it.
class JsonSyntax {
public:
    explicit JsonSyntax(const std::string& s) : s_(s) {}
    bool ok() {
        value();
        ws();
        return good_ && i_ == s_.size();
    }

private:
    void ws() {
        while (i_ < s_.size() && std::strchr(" \n\r\t", s_[i_])) ++i_;
    }
    bool eat(char c) {
        ws();
        if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
        return false;
    }
    void fail() { good_ = false, i_ = s_.size(); }
    void string() {
        if (!eat('"')) return fail();
        while (i_ < s_.size() && s_[i_] != '"') {
            if (static_cast<unsigned char>(s_[i_]) < 0x20) return fail();
            i_ += s_[i_] == '\\' ? 2 : 1;
        }
        if (!eat('"')) fail();
    }
    void value() {
        ws();
        if (i_ >= s_.size()) return fail();
        const char c = s_[i_];
        if (c == '{') {
            ++i_;
            if (eat('}')) return;
            do {
                string();
                if (!eat(':')) return fail();
                value();
            } while (good_ && eat(','));
            if (!eat('}')) fail();
        } else if (c == '[') {
            ++i_;
            if (eat(']')) return;
            do value();
            while (good_ && eat(','));
            if (!eat(']')) fail();
        } else if (c == '"') {
            string();
        } else {
            const std::size_t b = i_;
            while (i_ < s_.size() && std::strchr("+-.0123456789eE", s_[i_])) ++i_;
            if (i_ == b) fail();
        }
    }
    const std::string& s_;
    std::size_t i_ = 0;
    bool good_ = true;
};

std::size_t Count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (auto p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
    return n;
}

class QemcliNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kCli)) GTEST_SKIP() << "qemcli not built at " << kCli;
    }
};

}  // namespace

TEST_F(QemcliNetwork, DumpPrintsEveryFieldAsJson) {
    TempFolder dir("cli_dump");
    Seq q(3);
    std::vector<TyLine> lines = {FullLine(q, 1), FullLine(q, 2)};
    lines[0].Spans[0].Lpr = 0.1f;
    lines[0].Spans[0].Si = -3.4028235e38f;
    lines[1].Res56 = {1, 2, 250, 0};
    lines[1].Uvl = 5;
    const std::string path = dir.file("Сеть.qem");
    WriteNetwork(path, lines);

    const CliRun r = Qemcli("dump " + Sh(path), dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(JsonSyntax(r.out).ok()) << r.out.substr(0, 2000);
    EXPECT_EQ(r.out.rfind("{\"Lines\":[", 0), 0u);
    EXPECT_EQ(Count(r.out, "\"Nop1\":"), 3u);
    EXPECT_EQ(Count(r.out, "\"KOCT2\":{\"Name\":\"ВМТ-110Б\",\"FullName\":"), 2u);
    EXPECT_EQ(Count(r.out, "\"From\":\"ПС Южная\",\"To\":\"ПС Северная-2\""), 2u);
    EXPECT_NE(r.out.find("\"Comm\":\"Пересечение с автодорогой Москва — Ярославль\""), std::string::npos);
    EXPECT_NE(r.out.find("\"Lpr\":0.1,"), std::string::npos);
    EXPECT_NE(r.out.find("\"Si\":-3.4028235e+38,"), std::string::npos);
    EXPECT_NE(r.out.find("\"Res56\":[1,2,250,0],"), std::string::npos);
    EXPECT_NE(r.out.find("\"Uvl\":5,"), std::string::npos);
    EXPECT_NE(r.out.find("\"NSpans\":2,\"Spans\":["), std::string::npos);
    EXPECT_NE(r.out.find("\"Zem\":[{\"ZemH\":"), std::string::npos);
    EXPECT_NE(r.out.find("\"Zamer\":[{\"Tzv\":"), std::string::npos);
    EXPECT_NE(r.out.find("\"Prep\":[{\"Lprep\":"), std::string::npos);
    EXPECT_EQ(Count(r.out, "\"AprNop\":["), 3u);
    EXPECT_NE(r.out.find("\"NBus4\":"), std::string::npos);
}

TEST_F(QemcliNetwork, ResaveIsByteIdenticalAndCheckPassesASoundFile) {
    TempFolder dir("cli_resave");
    std::vector<TyLine> lines = {NewLine(TyWire{}, 45000), NewLine(TyWire{}, 45001)};
    lines[1].Spans.resize(3, lines[1].Spans[0]);
    lines[0].Res60 = {9, 8, 7, 6};
    lines[0].Spans[0].Comm.Chars[50] = 0xEE;  // a byte after the text
    const std::string in = dir.file("in.qem"), out = dir.file("out.qem");
    WriteNetwork(in, lines);

    const CliRun rs = Qemcli("resave " + Sh(in) + " " + Sh(out), dir);
    ASSERT_EQ(rs.code, 0) << rs.err;
    EXPECT_EQ(Slurp(out), Slurp(in));

    const CliRun rc = Qemcli("check " + Sh(out), dir);
    EXPECT_EQ(rc.code, 0) << rc.out << rc.err;
    EXPECT_NE(rc.out.find("в порядке: линий 2, пролётов 4"), std::string::npos) << rc.out;
}

TEST_F(QemcliNetwork, CheckReportsEveryProblemOnePerLine) {
    TempFolder dir("cli_check");
    std::vector<TyLine> lines = {NewLine(TyWire{}, 45000)};
    lines[0].Uvl = 9;
    lines[0].Spans[0].Mpr = 25;
    lines[0].Spans[0].Gamma = std::nanf("");
    const std::string path = dir.file("bad.qem");
    WriteNetwork(path, lines);

    const CliRun r = Qemcli("check " + Sh(path), dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out,
              "Линия 1: Uvl = 9 (допустимо 0..7)\n"
              "Линия 1, пролёт 1: Gamma не является конечным числом (nan)\n"
              "Линия 1, пролёт 1: Mpr = 25 (допустимо 1..20)\n");

    // A cut file: the layout fault, exit code 1; dump and resave refuse it on stderr.
    std::string bytes = Slurp(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), 3000);
    const CliRun rc = Qemcli("check " + Sh(path), dir);
    EXPECT_EQ(rc.code, 1);
    EXPECT_NE(rc.out.find("повреждён: обрезан в линии 1"), std::string::npos) << rc.out;
    for (const std::string& cmd : {"dump " + Sh(path), "resave " + Sh(path) + " " + Sh(dir.file("o.qem"))}) {
        const CliRun rd = Qemcli(cmd, dir);
        EXPECT_EQ(rd.code, 1) << cmd;
        EXPECT_TRUE(rd.out.empty()) << cmd;
        EXPECT_NE(rd.err.find("обрезан в линии 1"), std::string::npos) << rd.err;
        EXPECT_EQ(Count(rd.err, "\n"), 1u) << rd.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.qem")));
}

TEST_F(QemcliNetwork, WrongUsageAndMissingFilesFail) {
    TempFolder dir("cli_usage");
    for (const char* args : {"dump", "check", "resave only.qem", "dump a.qem b.qem"}) {
        const CliRun r = Qemcli(args, dir);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_FALSE(r.err.empty()) << args;
    }
    const CliRun r = Qemcli("dump " + Sh(dir.file("нет.qem")), dir);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("не найден"), std::string::npos) << r.err;
}
