// Work in a child process: its bytes come back, and a child that crashes, runs too long, eats
// memory or says too much is killed and reaped, leaving no process behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/ChildProcess.h"

using namespace qem;
using namespace std::chrono_literals;

namespace {

ChildLimits Limits(std::chrono::milliseconds time, std::uint64_t memory = 0, std::uint64_t output = 1 << 20) {
    ChildLimits l;
    l.time = time;
    l.memory = memory;
    l.output = output;
    return l;
}

// True when this process has no child left, running or waiting to be reaped.
bool NoChildLeft() {
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

}  // namespace

TEST(ChildProcess, EachEndIsToldAndNoChildStays) {
    struct Case {
        const char* what;
        std::function<std::string()> work;
        ChildLimits limits;
        ChildEnd end;
        std::string output;
    } cases[] = {
        {"bytes back", [] { return std::string("S\0x", 3); }, Limits(5s), ChildEnd::Done, std::string("S\0x", 3)},
        {"a large output", [] { return std::string(3 << 20, 'x'); }, Limits(5s, 0, 4 << 20), ChildEnd::Done,
         std::string(3 << 20, 'x')},
        {"an exception", []() -> std::string { throw std::runtime_error("x"); }, Limits(5s), ChildEnd::Failed, ""},
        {"a crash",
         []() -> std::string {
             raise(SIGSEGV);
             return "never";
         },
         Limits(5s), ChildEnd::Failed, ""},
        {"a child that never ends",
         []() -> std::string {
             for (;;) pause();
         },
         Limits(200ms), ChildEnd::TimedOut, ""},
        {"too much output", [] { return std::string(2 << 20, 'x'); }, Limits(5s, 0, 1 << 20), ChildEnd::OutputTooLong,
         ""},
        {"memory without bound",
         []() -> std::string {
             std::vector<std::vector<char>> hog;
             for (int i = 0; i < 4096; ++i) {
                 hog.emplace_back(1 << 20);
                 std::memset(hog.back().data(), 1, hog.back().size());
             }
             return "all of it";
         },
         Limits(20s, 64 << 20), ChildEnd::OutOfMemory, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildResult r = RunInChild(c.work, c.limits);
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.output, c.output);
        EXPECT_TRUE(NoChildLeft());
    }
}

// A child started from another thread is killed when that thread leaves early too: the call
// always returns with its child gone.
TEST(ChildProcess, ChildrenOfSeveralThreadsAreAllReaped) {
    std::vector<std::thread> threads;
    std::vector<ChildEnd> ends(4);
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] {
            ends[std::size_t(i)] = RunInChild(
                                       [i]() -> std::string {
                                           if (i % 2)
                                               for (;;) pause();
                                           return "ok";
                                       },
                                       Limits(i % 2 ? 300ms : 20000ms))
                                       .end;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(ends, (std::vector<ChildEnd>{ChildEnd::Done, ChildEnd::TimedOut, ChildEnd::Done, ChildEnd::TimedOut}));
    EXPECT_TRUE(NoChildLeft());
}

namespace {

// The state letter of a process in /proc ('R', 'S', 'Z', ...); 0 when it is gone.
char ProcessState(pid_t pid) {
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f) return 0;
    char state = 0;
    const int n = std::fscanf(f, "%*d %*s %c", &state);
    std::fclose(f);
    return n == 1 ? state : 0;
}

}  // namespace

// A parent killed while its child works (a command killed by the user) leaves no child running:
// the child dies with it.
TEST(ChildProcess, KilledParentLeavesNoChildRunning) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t parent = fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        RunInChild(
            [&]() -> std::string {
                const pid_t me = getpid();
                if (write(fds[1], &me, sizeof me) != sizeof me) return "";
                for (;;) pause();
            },
            Limits(60000ms));
        _exit(0);
    }
    close(fds[1]);
    pid_t child = 0;
    ASSERT_EQ(read(fds[0], &child, sizeof child), ssize_t(sizeof child));
    close(fds[0]);
    EXPECT_EQ(ProcessState(child) == 'S' || ProcessState(child) == 'R', true);
    kill(parent, SIGKILL);
    waitpid(parent, nullptr, 0);
    // Gone, or a zombie waiting for whoever adopted it: not running.
    char state = 'S';
    for (int i = 0; i < 200 && state != 0 && state != 'Z'; ++i) {
        std::this_thread::sleep_for(10ms);
        state = ProcessState(child);
    }
    EXPECT_TRUE(state == 0 || state == 'Z') << state;
    if (state == 'Z') kill(child, SIGKILL);
}
