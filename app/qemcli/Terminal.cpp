// What qemcli prints passes through TerminalText: names, paths and messages from files cannot
// steer the terminal with control characters or reach it as bytes that are not UTF-8.
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>

#include "app/qemcli/Cli.h"
#include "model/Cp1251.h"

namespace qem::cli {
namespace {

// Collects what is written and passes it on through TerminalText, holding back a character
// whose bytes have not all arrived.
class TerminalBuf : public std::streambuf {
public:
    explicit TerminalBuf(std::streambuf* to) : to_(to) {}

protected:
    int overflow(int ch) override {
        if (ch == traits_type::eof()) return sync() == 0 ? 0 : traits_type::eof();
        pending_ += static_cast<char>(ch);
        if ((ch == '\n' || pending_.size() >= kChunk) && Drain(false) != 0) return traits_type::eof();
        return ch;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        if ((pending_.size() >= kChunk || std::memchr(s, '\n', static_cast<std::size_t>(n))) && Drain(false) != 0)
            return 0;
        return n;
    }
    int sync() override { return Drain(true) == 0 && to_->pubsync() == 0 ? 0 : -1; }

private:
    static constexpr std::size_t kChunk = 4096;

    // Passes on the pending text; without `all`, a character cut short at its end stays.
    int Drain(bool all) {
        std::size_t end = pending_.size();
        if (!all)
            for (std::size_t k = 1; k <= 3 && k <= pending_.size(); ++k)
                if (DecodeUtf8Char(pending_, pending_.size() - k).length < 0) {
                    end = pending_.size() - k;
                    break;
                }
        const std::string out = TerminalText(std::string_view(pending_).substr(0, end));
        pending_.erase(0, end);
        return to_->sputn(out.data(), static_cast<std::streamsize>(out.size())) ==
                       static_cast<std::streamsize>(out.size())
                   ? 0
                   : -1;
    }

    std::streambuf* to_;
    std::string pending_;
};

std::streambuf* g_rawOut = nullptr;

}  // namespace

void FilterStandardStreams() {
    if (g_rawOut) return;
    g_rawOut = std::cout.rdbuf();
    // Never destroyed: the streams are flushed after every static object is gone.
    std::cout.rdbuf(new TerminalBuf(g_rawOut));
    std::cerr.rdbuf(new TerminalBuf(std::cerr.rdbuf()));
}

std::ostream& RawOut() {
    static std::ostream raw(g_rawOut ? g_rawOut : std::cout.rdbuf());
    return raw;
}

}  // namespace qem::cli
