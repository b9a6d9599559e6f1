#pragma once
// The dialogs of a command that runs on a worker thread: every message, question, file choice
// and progress step is carried out by the window's own dialogs on the window's thread while the
// worker waits for it, so the command talks to the user exactly as it would on that thread;
// "Отмена" of the window is seen at once.
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <optional>
#include <type_traits>

#include "platform/Dialogs.h"

namespace qem::ui {

class WorkerDialogs : public Dialogs {
public:
    // `inner` lives on the thread of `context`; `cancel` is set there by the user's "Отмена".
    WorkerDialogs(Dialogs& inner, QObject* context, const std::atomic<bool>& cancel)
        : inner_(inner), context_(context), cancel_(cancel) {}

    Answer Ask(const std::string& text, Buttons buttons, const std::string& title, Icon icon) override {
        return OnUi([&] { return inner_.Ask(text, buttons, title, icon); });
    }
    std::optional<std::string> OpenFileName(const std::string& d, const std::string& f, const std::string& e) override {
        return OnUi([&] { return inner_.OpenFileName(d, f, e); });
    }
    std::optional<std::string> SaveFileName(const std::string& d, const std::string& f, const std::string& e) override {
        return OnUi([&] { return inner_.SaveFileName(d, f, e); });
    }
    std::optional<std::string> BrowseFolder(const std::string& c, const std::string& r, const std::string& s) override {
        return OnUi([&] { return inner_.BrowseFolder(c, r, s); });
    }
    void Progress(int position, int max) override {
        OnUi([&] { return inner_.Progress(position, max), 0; });
    }
    bool Cancelled() override {
        return cancel_ || OnUi([&] { return inner_.Cancelled(); });
    }
    void ShowDocument(const std::string& path) override {
        OnUi([&] { return inner_.ShowDocument(path), 0; });
    }

private:
    // f() on the window's thread; the calling thread waits for its result.
    template <class F>
    auto OnUi(F f) -> decltype(f()) {
        if (QThread::currentThread() == context_->thread()) return f();
        std::optional<std::decay_t<decltype(f())>> r;
        QMetaObject::invokeMethod(
            context_, [&] { r.emplace(f()); }, Qt::BlockingQueuedConnection);
        return std::move(*r);
    }

    Dialogs& inner_;
    QObject* context_;
    const std::atomic<bool>& cancel_;
};

}  // namespace qem::ui
