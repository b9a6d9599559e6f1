#include "platform/qt/CalcLock.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace qem::ui {
namespace {

// Keeps the watch as long as the window lives.
class WatchHolder : public QObject {
public:
    using QObject::QObject;
    CalcRun::Watch watch;
};

}  // namespace

void TakeNoEditsWhileCalculating(QWidget* window, CalcRun& run) {
    auto* holder = new WatchHolder(window);
    holder->setObjectName(QStringLiteral("CalcRunWatch"));
    const QPointer<QWidget> w(window);
    holder->watch = run.Observe([w](bool running) {
        if (w) w->setEnabled(!running);
    });
    if (run.Running()) window->setEnabled(false);
}

}  // namespace qem::ui
