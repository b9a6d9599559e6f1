#pragma once
// The window "Расчёт по погоде": hourly ДДТН and АДТН of the chosen lines from a weather file
// (lines/HourlyRating.h), by the weather or by the air temperature alone; the calculation runs
// on the main window's worker thread with progress and "Отмена"; a chart of the hours (ДДТН and
// АДТН, the limit table's values dashed, the air temperature on a second axis), the table of the
// hours with the limiting span, the summary, export to a workbook, printing and PDF.
#include <QWidget>
#include <atomic>
#include <functional>
#include <vector>

#include "lines/HourlyRating.h"
#include "model/Weather.h"
#include "platform/Dialogs.h"
#include "session/AppState.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;

namespace qem::ui {

class HourTableModel;
struct PrintJob;

class WeatherRatingPage : public QWidget {
    Q_OBJECT
public:
    // Runs a calculation on the worker thread as the main window runs its long calculations.
    using RunLong = std::function<void(const std::function<void(Dialogs&)>&)>;
    WeatherRatingPage(AppState& app, Dialogs& dlg, RunLong runLong, QWidget* parent = nullptr);
    ~WeatherRatingPage() override;

    // The lines of the open network listed anew (all checked).
    void refreshLines();
    // Chooses the weather file (as "Выбрать…" does with the file given).
    bool loadWeather(const std::string& path);
    // "Рассчитать".
    void calculate();
    void setAmbientOnly(bool on);
    void setClassicSun(bool on);

    QChartView* chart() const { return chart_; }
    QTableView* table() const { return table_; }
    QComboBox* lineChoice() const { return shownLine_; }
    QPushButton* cancelButton() const { return cancel_; }
    const std::vector<LineRatingResult>& results() const { return results_; }
    const std::vector<HourRating>& hoursOf(int i) const { return hours_[std::size_t(i)]; }
    // What "Печать…" and "PDF…" put on paper: the chart, then the summary and the hours.
    PrintJob printJob() const;
    // "В Excel…" into `path`.
    void exportWorkbook(const std::string& path) const;

private:
    void chooseFile();
    void showLine(int i);
    void exportCommand();
    void printCommand();
    void pdfCommand();
    void setRunning(bool on);

    AppState& app_;
    Dialogs& dlg_;
    RunLong runLong_;
    WeatherData weather_;
    bool haveWeather_ = false;
    std::atomic<bool> cancelled_{false};

    QLineEdit* file_ = nullptr;
    QLabel* fileInfo_ = nullptr;
    QLineEdit* longitude_ = nullptr;
    QLineEdit* utcOffset_ = nullptr;
    QListWidget* lines_ = nullptr;
    QRadioButton* byWeather_ = nullptr;
    QRadioButton* byAir_ = nullptr;
    QComboBox* sun_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QComboBox* shownLine_ = nullptr;
    QLabel* summary_ = nullptr;
    QChartView* chart_ = nullptr;
    QTableView* table_ = nullptr;
    HourTableModel* model_ = nullptr;
    QList<QWidget*> inputs_;

    std::vector<LineRatingResult> results_;
    std::vector<std::vector<HourRating>> hours_;
    Report printed_;
};

}  // namespace qem::ui
