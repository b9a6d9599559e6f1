#include "platform/CalcRun.h"

#include <algorithm>
#include <utility>

namespace qem {

struct CalcRun::State {
    std::atomic<int> depth{0};
    int nextId = 1;
    std::vector<std::pair<int, std::function<void(bool)>>> watchers;
    std::vector<std::function<void()>> atEnd;

    // Every watcher that is still watching when its turn comes.
    void tell(bool running) {
        std::vector<int> ids;
        for (const auto& w : watchers) ids.push_back(w.first);
        for (int id : ids) {
            auto it = std::find_if(watchers.begin(), watchers.end(), [id](const auto& w) { return w.first == id; });
            if (it == watchers.end()) continue;
            const auto f = it->second;  // the watcher may stop watching while it is told
            f(running);
        }
    }
};

CalcRun::CalcRun() : state_(std::make_shared<State>()) {}
CalcRun::CalcRun(const CalcRun&) : CalcRun() {}
CalcRun& CalcRun::operator=(const CalcRun& other) {
    if (this != &other) state_ = std::make_shared<State>();
    return *this;
}
CalcRun::~CalcRun() = default;

bool CalcRun::Running() const noexcept { return state_->depth.load() > 0; }

CalcRun::Watch CalcRun::Observe(std::function<void(bool)> watcher) {
    Watch w;
    w.state_ = state_;
    w.id_ = state_->nextId++;
    state_->watchers.emplace_back(w.id_, std::move(watcher));
    return w;
}

void CalcRun::Watch::release() {
    if (const auto s = state_.lock()) std::erase_if(s->watchers, [this](const auto& w) { return w.first == id_; });
    state_.reset();
}

CalcRun::Watch& CalcRun::Watch::operator=(Watch&& other) noexcept {
    if (this != &other) {
        release();
        state_ = std::move(other.state_);
        id_ = other.id_;
        other.state_.reset();
    }
    return *this;
}

CalcRun::Watch::~Watch() { release(); }

void CalcRun::WhenIdle(std::function<void()> f) {
    if (!f) return;
    if (Running())
        state_->atEnd.push_back(std::move(f));
    else
        f();
}

void CalcRun::Begin() {
    if (state_->depth++ == 0) state_->tell(true);
}

void CalcRun::End() {
    if (state_->depth.load() <= 0 || --state_->depth > 0) return;
    const auto keep = state_;  // a watcher or a kept step may replace this state
    keep->tell(false);
    // Steps kept during the run may keep further steps only if a new run began meanwhile.
    while (!keep->atEnd.empty() && keep->depth.load() == 0) {
        auto f = std::move(keep->atEnd.front());
        keep->atEnd.erase(keep->atEnd.begin());
        f();
    }
}

bool RefusedWhileCalculating(const CalcRun& run, Dialogs& dlg) {
    if (!run.Running()) return false;
    dlg.Message(kMsgCalcRunning, "", Icon::Information);
    return true;
}

}  // namespace qem
