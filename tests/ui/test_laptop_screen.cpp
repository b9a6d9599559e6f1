// The main window on a 1366 x 768 laptop screen (an offscreen screen of that size): the first
// start places it inside the screen with room for a window manager's title bar, and it can be
// made small enough for a screen that also shows a panel; the span page then scrolls.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "lines/qt/MainWindow.h"
#include "model/AppData.h"
#include "platform/ScriptedDialogs.h"
#include "tests/ui/MainWindowSession.h"

using qem::ui::MainWindow;

namespace {

constexpr int kTitleBar = 40;  // a window manager's title bar and borders, generously
constexpr int kPanel = 40;     // a desktop's panel

}  // namespace

class TestLaptopScreen : public QObject {
    Q_OBJECT
private slots:
    void firstStartFitsTheScreen() {
        QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->geometry().size(), QSize(1366, 768));
        MainWindowSession<> s;
        MainWindow& w = *s.w;
        w.applyPlacement();  // no placement stored: the first start
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect avail = screen->availableGeometry();
        // The window's frame starts on the screen, and with a title bar of its own the window
        // still ends on it.
        const QRect frame = w.frameGeometry();
        const QRect framed(frame.topLeft(), QSize(w.width() + 10, w.height() + kTitleBar + 5));
        QVERIFY2(avail.contains(framed),
                 qPrintable(
                     QString("%1,%2 %3x%4").arg(framed.x()).arg(framed.y()).arg(framed.width()).arg(framed.height())));
        // As tall as the pages of fields need: the span page does not scroll.
        auto* spans = qobject_cast<QScrollArea*>(w.pages()->widget(MainWindow::PageSpans));
        QVERIFY(spans);
        w.pages()->setCurrentIndex(MainWindow::PageSpans);
        QTest::qWait(20);
        QCOMPARE(spans->verticalScrollBar()->maximum(), 0);
        // Nothing keeps it from fitting a screen that also has a panel.
        QVERIFY2(w.minimumSizeHint().height() + kTitleBar + kPanel <= 768,
                 qPrintable(QString::number(w.minimumSizeHint().height())));
        QVERIFY(w.minimumSizeHint().width() + 10 <= 1366);
        // Made that small, the span page scrolls to its last fields.
        w.resize(w.width(), 768 - kTitleBar - kPanel);
        QTest::qWait(20);
        QVERIFY(spans->verticalScrollBar()->maximum() > 0);
    }
};

int main(int argc, char** argv) {
    // An offscreen screen of 1366 x 768 pixels.
    QTemporaryDir config;
    const QString file = config.filePath("screen.json");
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly)) return 2;
    f.write(R"({"screens":[{"name":"laptop","x":0,"y":0,"width":1366,"height":768,"logicalDpi":96}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toUtf8());
    QApplication app(argc, argv);
    TestLaptopScreen t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_laptop_screen.moc"
