// Long calculations of the main window on a worker thread, with the window responsive.
#include <QApplication>
#include <QEventLoop>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <exception>
#include <thread>

#include "lines/qt/MainWindow.h"
#include "platform/qt/WorkerDialogs.h"

namespace qem::ui {

bool MainWindow::busy() const { return app_->calc.Running(); }

void MainWindow::runLong(const std::function<void(Dialogs&)>& work) {
    if (app_->calc.Running()) return;  // one calculation at a time
    cancel_ = false;
    std::exception_ptr error;
    {
        // Every window that could change what the worker reads takes no edits until the end
        // (calculationRuns for this window's own pages, menu and tool bar).
        const CalcRunScope run(app_->calc);
        WorkerDialogs dialogs(*dlg_, this, cancel_);
        QEventLoop loop;
        std::thread worker([&] {
            try {
                work(dialogs);
            } catch (...) {
                error = std::current_exception();
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
    }
    recheckWhenFree();
    if (error) std::rethrow_exception(error);
}

void MainWindow::calculationRuns(bool running) {
    if (running) {
        // Nothing that edits the network while the worker reads and writes it: the pages, the
        // menu and the tool bar, and the shortcuts of their commands.
        lockedWidgets_ = {PageControlMain, menuBar()};
        for (QToolBar* t : findChildren<QToolBar*>()) lockedWidgets_ << t;
        for (QWidget* w : lockedWidgets_) w->setEnabled(false);
        QList<QAction*> actions;
        for (QMenu* m : menuBar()->findChildren<QMenu*>()) actions << m->actions();
        for (QToolBar* t : findChildren<QToolBar*>()) actions << t->actions();
        lockedActions_.clear();
        for (QAction* a : actions)
            if (a->isEnabled() && !a->isSeparator() && !a->menu()) {
                a->setEnabled(false);
                lockedActions_ << a;
            }
        ButtonCancel->setEnabled(true);
        ButtonCancel->show();
        return;
    }
    ButtonCancel->hide();
    for (QAction* a : lockedActions_)
        if (a) a->setEnabled(true);
    for (QWidget* w : lockedWidgets_)
        if (w) w->setEnabled(true);
    lockedActions_.clear();
    lockedWidgets_.clear();
    ProgressBarCalc->setValue(0);
}

void MainWindow::recheckWhenFree() {
    if (!recheckPending_) return;
    QTimer::singleShot(0, this, [this] {
        // Still inside a command (its dialogs) or another run: the end of that one tries again.
        if (!recheckPending_ || commandDepth_ > 0 || app_->calc.Running() || QApplication::activeModalWidget()) return;
        runFolderRecheck();
    });
}

}  // namespace qem::ui
