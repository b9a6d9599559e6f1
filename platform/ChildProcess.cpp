#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <new>
#include <optional>
#include <string>

// Set by the sanitizers' runtime when the program is built with them (libFuzzer installs a
// callback that would report the child's end as its own).
// NOLINTNEXTLINE(bugprone-reserved-identifier): the runtime's own name for it
extern "C" void __sanitizer_set_death_callback(void (*)(void)) __attribute__((weak));

namespace qem {
namespace {

// The sanitizers reserve terabytes of address space for their shadow memory: under them an
// address-space limit would refuse every allocation, and the parent's watch of the resident
// memory alone bounds the child.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Exit statuses of the child.
constexpr int kExitThrew = 3, kExitWriteFailed = 4, kExitOutOfMemory = 5, kExitOrphan = 6;

// How often the parent looks at the child's memory.
constexpr std::chrono::milliseconds kWatch{20};

// Address space and resident set of a process, bytes (/proc/PID/statm; 0 for this process).
bool Statm(pid_t pid, std::uint64_t& size, std::uint64_t& resident) {
    const std::string path = pid == 0 ? "/proc/self/statm" : "/proc/" + std::to_string(pid) + "/statm";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[128];
    const ssize_t k = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (k <= 0) return false;
    buf[k] = 0;
    unsigned long long pages = 0, res = 0;
    if (std::sscanf(buf, "%llu %llu", &pages, &res) != 2) return false;
    const std::uint64_t page = std::uint64_t(sysconf(_SC_PAGESIZE));
    size = pages * page;
    resident = res * page;
    return true;
}

[[noreturn]] void RunChild(const std::function<std::string()>& work, const ChildLimits& limits, int out, pid_t parent) {
    // Killed when the thread that started it ends, the parent killed or not; a parent that died
    // before this line is no longer its parent.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(kExitOrphan);
    setpgid(0, 0);
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
    const int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, 2);
    if (limits.memory > 0 && !kSanitized) {
        std::uint64_t size = 0, resident = 0;
        if (Statm(0, size, resident)) {
            const rlimit rl{rlim_t(size + limits.memory), rlim_t(size + limits.memory)};
            setrlimit(RLIMIT_AS, &rl);
        }
    }
    std::string o;
    try {
        o = work();
    } catch (const std::bad_alloc&) {
        _exit(kExitOutOfMemory);
    } catch (...) {
        _exit(kExitThrew);
    }
    for (std::size_t done = 0; done < o.size();) {
        const ssize_t k = write(out, o.data() + done, o.size() - done);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) _exit(kExitWriteFailed);
        done += std::size_t(k);
    }
    _exit(0);
}

// The child from its start to its reaping: killed (with its process group) and reaped when
// the parent leaves early for any reason.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (reaped_) return;
        Kill();
        Reap(0);
    }
    void Kill() {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
    }
    // Waits for the child's end; `options` 0 or WNOHANG. True when it was reaped.
    bool Reap(int options) {
        for (;;) {
            const pid_t r = waitpid(pid_, &status_, options);
            if (r == pid_) return reaped_ = true;
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return reaped_ = true;  // not our child any more: nothing to wait for
            return false;
        }
    }
    int status() const { return status_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_;
    int status_ = 0;
    bool reaped_ = false;
};

}  // namespace

ChildResult RunInChild(const std::function<std::string()>& work, const ChildLimits& limits) {
    ChildResult res;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return res;
    // The child starts as a copy of this process: what this one holds is its starting point.
    std::uint64_t size = 0, baseline = 0;
    if (limits.memory > 0 && !Statm(0, size, baseline)) baseline = 0;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return res;
    }
    if (pid == 0) {
        close(fds[0]);
        RunChild(work, limits, fds[1], parent);
    }
    setpgid(pid, pid);  // the child does the same: whichever runs first
    close(fds[1]);
    Child child(pid);
    struct Fd {
        int fd;
        ~Fd() { close(fd); }
    } in{fds[0]};

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limits.time;
    auto overMemory = [&] {
        std::uint64_t s = 0, resident = 0;
        return limits.memory > 0 && Statm(pid, s, resident) && resident > baseline + limits.memory;
    };
    std::optional<ChildEnd> killed;
    char buf[1 << 16];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            killed = ChildEnd::TimedOut;
            break;
        }
        const auto slice = limits.memory > 0 ? std::min(left, kWatch) : left;
        pollfd p{in.fd, POLLIN, 0};
        const int r = poll(&p, 1, int(std::min<long long>(slice.count(), INT_MAX)));
        if (r < 0 && errno != EINTR) {
            killed = ChildEnd::Failed;
            break;
        }
        if (overMemory()) {
            killed = ChildEnd::OutOfMemory;
            break;
        }
        if (r <= 0) continue;
        const ssize_t k = read(in.fd, buf, sizeof buf);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) break;  // the child closed its end: it is done
        res.output.append(buf, std::size_t(k));
        if (res.output.size() > limits.output) {
            killed = ChildEnd::OutputTooLong;
            break;
        }
    }
    // A child that closed its end without ending gets what is left of its time.
    while (!killed && !child.Reap(WNOHANG)) {
        if (Clock::now() >= deadline) {
            killed = ChildEnd::TimedOut;
            break;
        }
        const timespec pause{0, 2'000'000};
        nanosleep(&pause, nullptr);
    }
    if (killed) {
        child.Kill();
        child.Reap(0);
        res.end = *killed;
        res.output.clear();
        return res;
    }
    const int status = child.status();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        res.end = ChildEnd::Done;
    else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitOutOfMemory)
        res.end = ChildEnd::OutOfMemory;
    else
        res.end = ChildEnd::Failed;
    if (res.end != ChildEnd::Done) res.output.clear();
    return res;
}

}  // namespace qem
