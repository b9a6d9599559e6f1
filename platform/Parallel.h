#pragma once
// Independent pieces of a long calculation (the lines of a network, the temperatures of a
// rating, the rows of a series) worked out on several threads and handed back in their own
// order on the calling thread, so that what the user sees (rows, messages, progress, the first
// error) is exactly what one thread doing the pieces one after the other would show.
//
// Plain standard threads: the pieces are few and coarse (a line, a temperature, a block of
// rows), the order of delivery is the whole point, and nothing else of the program needs a pool.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace qem {

// Threads for a calculation when the user names none: every core of the machine.
inline unsigned AllCores() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

// Works out pieces 0..n-1 with `work(i)` on up to `jobs` threads (each piece must touch only
// its own data) and calls `deliver(i, result)` on the calling thread for i = 0, 1, ... in
// order. Delivery stops, and no further piece is started, when `deliver` returns false, when
// `stop()` (asked on the calling thread before each delivery) says so, or when a piece threw:
// its exception is rethrown on the calling thread after the pieces before it were delivered,
// as a loop over the pieces would have thrown it. With jobs <= 1 (or a single piece) it is that
// loop, on the calling thread alone. Returns the number of pieces delivered.
template <class Work, class Deliver>
int RunInOrder(int n, unsigned jobs, Work work, Deliver deliver, const std::function<bool()>& stop = {}) {
    using R = decltype(work(0));
    if (jobs <= 1 || n <= 1) {
        for (int i = 0; i < n; ++i) {
            if (stop && stop()) return i;
            R r = work(i);
            if (!deliver(i, r)) return i + 1;
        }
        return n;
    }

    struct Slot {
        std::optional<R> value;
        std::exception_ptr error;
        bool done = false;
    };
    std::vector<Slot> pieces(static_cast<std::size_t>(n));
    std::mutex m;
    std::condition_variable changed;
    int next = 0;          // the next piece a worker takes
    bool abandon = false;  // no further piece is started

    auto worker = [&] {
        for (;;) {
            int i;
            {
                std::lock_guard<std::mutex> lock(m);
                if (abandon || next >= n) return;
                i = next++;
            }
            Slot s;
            try {
                s.value.emplace(work(i));
            } catch (...) {
                s.error = std::current_exception();
            }
            {
                std::lock_guard<std::mutex> lock(m);
                pieces[i].value = std::move(s.value);
                pieces[i].error = s.error;
                pieces[i].done = true;
            }
            changed.notify_all();
        }
    };
    const unsigned threads = jobs < unsigned(n) ? jobs : unsigned(n);
    std::vector<std::thread> pool;
    pool.reserve(threads);
    // The threads are joined on every way out, the started pieces left to finish.
    struct Join {
        std::vector<std::thread>& pool;
        std::mutex& m;
        bool& abandon;
        ~Join() {
            {
                std::lock_guard<std::mutex> lock(m);
                abandon = true;
            }
            for (auto& t : pool) t.join();
        }
    } join{pool, m, abandon};
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);

    for (int i = 0; i < n; ++i) {
        if (stop && stop()) return i;
        Slot s;
        {
            std::unique_lock<std::mutex> lock(m);
            changed.wait(lock, [&] { return pieces[i].done; });
            s = std::move(pieces[i]);
        }
        if (s.error) std::rethrow_exception(s.error);
        if (!deliver(i, *s.value)) return i + 1;
    }
    return n;
}

}  // namespace qem
