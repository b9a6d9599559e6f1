// Long calculations of the main window on a worker thread, with the window responsive.
#include <QEventLoop>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <exception>
#include <thread>

#include "lines/qt/MainWindow.h"
#include "platform/qt/WorkerDialogs.h"

namespace qem::ui {

void MainWindow::runLong(const std::function<void(Dialogs&)>& work) {
    if (busy_) return;  // one calculation at a time
    busy_ = true;
    cancel_ = false;
    // Nothing that edits the network while the worker reads and writes it.
    QList<QPointer<QWidget>> locked = {PageControl1, menuBar()};
    for (QToolBar* t : findChildren<QToolBar*>()) locked << t;
    if (QWidget* editor = obstacleEditor()) locked << editor;
    for (QWidget* w : locked) w->setEnabled(false);
    ButtonCancel->setEnabled(true);
    ButtonCancel->show();

    WorkerDialogs dialogs(*dlg_, this, cancel_);
    std::exception_ptr error;
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

    ButtonCancel->hide();
    for (QWidget* w : locked)
        if (w) w->setEnabled(true);
    ProgressBar1->setValue(0);
    busy_ = false;
    if (error) std::rethrow_exception(error);
}

}  // namespace qem::ui
