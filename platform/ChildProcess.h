#pragma once
// Work on untrusted input in a child process: a function runs in a forked child, bounded in
// time and in memory, and hands its result back as bytes through a pipe. Whatever the child
// does (crash, loop, eat memory) ends with the child killed and reaped: on its time limit, its
// memory limit, too long an output, and whenever the call leaves early. The child dies with the
// thread that started it (PR_SET_PDEATHSIG) and runs in a process group of its own, so a parent
// that is killed leaves nothing running.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace qem {

struct ChildLimits {
    std::chrono::milliseconds time{5000};  // wall-clock time the child may take
    std::uint64_t memory = 0;              // memory the child may take beyond what it starts with,
                                           // bytes; 0: no limit
    std::uint64_t output = 1ull << 30;     // bytes of output the parent takes at most
};

enum class ChildEnd {
    Done,           // the function returned; `output` holds what it returned
    Failed,         // the child ended otherwise (a crash, an exception, an exit status not 0)
    TimedOut,       // killed at the time limit
    OutOfMemory,    // killed at the memory limit, or its allocation failed under it
    OutputTooLong,  // killed when its output passed the limit
    NotStarted,     // no pipe or no process
};

struct ChildResult {
    ChildEnd end = ChildEnd::NotStarted;
    std::string output;
};

// Runs `work` in a child process within the limits. The child's standard error goes to
// /dev/null; an exception out of `work` (std::bad_alloc aside, which is OutOfMemory) ends it
// as Failed.
ChildResult RunInChild(const std::function<std::string()>& work, const ChildLimits& limits);

}  // namespace qem
