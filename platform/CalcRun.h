#pragma once
// Whether a long calculation is running on its worker thread. While one runs it reads the
// network, the catalogs, the norms and the settings and writes its results into the network,
// so nothing else may change them: every window and command that could obeys this one state.
// The windows take no edits from the start of a run to its end (they are told through a
// watch), and what cannot be refused meanwhile (a window that saves when it closes, the
// folder check of an activation) is kept until the run has ended (WhenIdle).
//
// Runs begin and end on the thread of the windows; Running() may be asked on any thread.
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Dialogs.h"

namespace qem {

// What a command says when it refuses to change anything while a calculation runs.
inline constexpr const char* kMsgCalcRunning = "Идёт расчёт: дождитесь его окончания или нажмите «Отмена»";

class CalcRun {
    struct State;

public:
    CalcRun();
    // A copy is a state of its own: not running, nobody watching.
    CalcRun(const CalcRun&);
    CalcRun& operator=(const CalcRun&);
    ~CalcRun();

    bool Running() const noexcept;

    // Told with true when a run begins and with false when it ends, for as long as the Watch
    // lives (it may outlive the CalcRun).
    class Watch {
    public:
        Watch() = default;
        Watch(Watch&&) noexcept = default;
        Watch& operator=(Watch&&) noexcept;
        ~Watch();

    private:
        friend class CalcRun;
        std::weak_ptr<State> state_;
        int id_ = 0;
        void release();
    };
    [[nodiscard]] Watch Observe(std::function<void(bool running)> watcher);

    // f at once when no calculation runs, otherwise right after the running one has ended (in
    // the order given).
    void WhenIdle(std::function<void()> f);

    // For the one who runs a calculation (CalcRunScope does both): the watchers are told, and
    // End runs what was kept for the end.
    void Begin();
    void End();

private:
    std::shared_ptr<State> state_;
};

// A run from construction to destruction.
class CalcRunScope {
public:
    explicit CalcRunScope(CalcRun& run) : run_(run) { run_.Begin(); }
    ~CalcRunScope() { run_.End(); }
    CalcRunScope(const CalcRunScope&) = delete;
    CalcRunScope& operator=(const CalcRunScope&) = delete;

private:
    CalcRun& run_;
};

// True, after telling the user kMsgCalcRunning, when a calculation runs: the command that asks
// must leave everything as it is.
bool RefusedWhileCalculating(const CalcRun& run, Dialogs& dlg);

}  // namespace qem
