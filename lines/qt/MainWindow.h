#pragma once
// The main window: five pages, the main menu, the tool bar and the status bar.
#include <QMainWindow>

class QTabWidget;
class QProgressBar;

namespace qem::ui {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    QTabWidget* pages() const { return PageControl1; }
    QProgressBar* progressBar() const { return ProgressBar1; }

    // Page indexes of PageControl1.
    enum Page { PageLines = 0, PageSpans = 1, PageSource = 2, PageSpanResult = 3, PageLineResult = 4 };

private:
    void buildMenu();
    void buildToolBar();
    void buildStatusBar();

    QTabWidget* PageControl1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
};

}  // namespace qem::ui
