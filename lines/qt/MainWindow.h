#pragma once
// The main window: five pages, the main menu, the tool bar and the status bar. It owns the
// selection of the current line and span (in AppState) and hands every command to the
// UI-independent logic (NetworkCommands, LineList, CalcCommands, Series); the widgets only
// show what that logic leaves.
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

#include "engine/Report.h"
#include "equipment/LineEquipment.h"
#include "lines/CalcCommands.h"
#include "lines/SpanEditing.h"
#include "platform/Dialogs.h"
#include "session/AppState.h"
#include "session/NetworkCommands.h"

class QTabWidget;
class QProgressBar;
class QTableWidget;
class QTextEdit;
class QListWidget;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QCheckBox;
class QLabel;
class QAction;
class QGroupBox;
class QPushButton;

namespace qem::ui {

class SpanViewChart;
class TFormImport;
class TemperatureChartsView;
struct PrintJob;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Without a state the window is an empty shell over a state of its own (no folder check).
    explicit MainWindow(AppState* app = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Page indexes of PageControlMain.
    enum Page { PageLines = 0, PageSpans = 1, PageSource = 2, PageSpanResult = 3, PageLineResult = 4 };

    QTabWidget* pages() const { return PageControlMain; }
    QTabWidget* resultPages() const { return PageControlSpanResult; }
    QProgressBar* progressBar() const { return ProgressBarCalc; }
    // "Отмена" beside the progress bar, shown while a long calculation runs.
    QPushButton* cancelButton() const { return ButtonCancel; }
    // True while a long calculation runs on its worker thread (AppState::calc).
    bool busy() const;
    QTableWidget* filesGrid() const { return StringGridFiles; }
    QTableWidget* lineList() const { return StringGridLines; }
    QTextEdit* spanReport() const { return RichEditRez; }
    QTextEdit* lineReport() const { return RichEditLineTable; }
    QTextEdit* seriesText() const { return RichEditSeries; }
    SpanViewChart* spanChart() const { return ChartSpanView; }
    TemperatureChartsView* temperatureCharts() const { return ChartTemperature; }
    AppState& state() { return *app_; }

    // The dialogs the commands use (the window's own Qt dialogs unless replaced, e.g. by tests).
    void setDialogs(Dialogs* dialogs);
    Dialogs& dialogs() { return *dlg_; }

    // Placement from the settings: when none is stored (the first start), the screen size minus
    // 100 pixels (taller where the pages of fields need it and the screen has room), inside the
    // free part of the screen with room for the window manager's frame; otherwise the stored
    // geometry and active page.
    void applyPlacement();
    // The window's height at which no page of fields needs to scroll.
    int unscrolledHeight() const;
    // The folder check with the hooks of this window; runs by itself when the window first
    // becomes active. False when the user chose to leave the program.
    bool runFolderCheck();

    // A later activation of the main window: the folder listed again, and a question when the
    // open file was changed on disk by another program (runs by itself on activation).
    void runFolderRecheck();

    // Commands (also reached through the menu and the tool bar).
    void spanCalcToolbar();           // tool bar "Расчет пролета"
    void spanCalcMenu();              // menu "Расчет пролета"
    void lineCalcToolbar();           // tool bar "Расчет ВЛ"
    void allowTempCommand(bool all);  // "Расчет допустимых температур", "... всех ВЛ"
    void seriesCommand();             // "Расчёт" of "Серия расчетов"
    void sweepCommand();              // "Прогонка по ориентации пролёта и широте"
    void weatherRatingCommand();      // "Расчёт по погоде" (lines/qt/WeatherRatingPage.h)
    void lineEquipmentCommand();      // "Концевое оборудование" of the current line
    void copyEquipment();             // "Копировать" of the line panel
    void pasteEquipment();            // "Вставить" of the line panel
    void switchNorms(bool usePue6);   // tool bar "ПУЭ 6" / "ПУЭ 7"
    // "Выгрузить в Excel", "Выгрузить в Excel(Минимальная выгрузка)", "Выгрузить в Excel все линии".
    enum class ExportKind { Full, Min, All };
    void exportCommand(ExportKind kind);

    // Refreshing the pages from the state.
    void fillFilesGrid();
    void fillLineList();
    void showSpanPage();
    void showSourcePage();
    // The line of row `row` (from 1) of the line list made current, as a click there makes it.
    void chooseLine(int row);

    // Span commands of the tool bar: "Копировать данные в буфер", "Вставить данные из буфера",
    // "Скопировать вид пролета в буфер".
    void copySpanData();
    void pasteSpanData();
    void copySpanView();
    const SpanBuffer& spanBuffer() const { return spanBuffer_; }

    // "Печать…" and "Сохранить в PDF…" of the menu "Файл": what the page shown holds — the
    // span report, the temperature charts or the span view of "Расчет пролета", the table of
    // "Расчет ВЛ" (the line report or the allowable temperatures), the series table of
    // "Исходные данные". `pdfCommand` asks for the file.
    void printCommand();
    void pdfCommand();
    // What "Печать…" would print now (nothing when the page shown has no result).
    PrintJob printJob() const;

    // The obstacle editor while it is open (it does not block the main window); nullptr otherwise.
    QWidget* obstacleEditor() const;

    // The spreadsheet import window by 1 or 2 measured points, made on first use and reused;
    // openImport shows it beside the main window, or modally (the folder check).
    TFormImport* importWindow(int points);
    void openImport(int points, bool modal);

public slots:
    // The switch "ПУЭ 6" / "ПУЭ 7" shows the rules in force (the catalog window switches too).
    void showNormsInForce();
    // The windows the span page opens: "Препятствия", "Задать профиль трассы", "Начальные условия".
    void openObstacles();
    void openProfile();
    void openInitialConditions();
    void openTwoPointSet();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

private:
    void buildMenu();
    void buildToolBar();
    void buildStatusBar();
    void buildLinesPage(QWidget* page);
    void buildSpanPage(QWidget* page);
    void buildSourcePage(QWidget* page);
    void buildResultPages(QWidget* spanPage, QWidget* linePage);
    FolderHooks hooks();
    // Runs a command and shows any error it lets through.
    void guarded(const std::function<void()>& f);
    // Runs a long calculation on a worker thread (all cores through the calculation's jobs)
    // while the window stays responsive: for its length AppState::calc says that a calculation
    // runs, so that this window (its pages, menu, tool bar and shortcuts) and every other window
    // that could change what the worker reads take no edits; the progress bar moves, "Отмена"
    // stops the calculation between its pieces, and every dialog of the calculation is shown on
    // the window's thread. Returns when the calculation has ended; its error, if any, comes out
    // here.
    void runLong(const std::function<void(Dialogs&)>& work);
    // A run began (true) or ended: the pages, the menu, the tool bar and their commands' shortcuts
    // take no input meanwhile; "Отмена" shows.
    void calculationRuns(bool running);
    // The folder check of an activation that came while a calculation ran, once nothing runs.
    void recheckWhenFree();
    // The obstacle editor, when open, shows the current span (after the current line or span
    // changed; with `force` after records were replaced in place).
    void followEditors(bool force = false);
    // The files grid shows row r (from 0; none for -1) without opening anything.
    void showFileRow(int r);
    void connectExport(QAction* action, ExportKind kind);
    void aboutBox();
    void pageChanged(int index);
    void selectLineRow(int row);  // grid row from 1, without the click handling
    void hideVoltageBox();
    void showVoltageBox(int row);  // row from 0
    void showCurrentSpanFields();
    void showCurrentSourceFields(bool clicked);
    void showChoices();
    void showObstacle(int k);
    // The results of a span calculation on the pages of "Расчет пролета" (the report, the span
    // view, the temperature charts) and a table on "Расчет ВЛ", kept for printing.
    void showSpanResults(const Report& report, const SpanView& view, const SpanRegimeOutcome& outcome);
    void showLineTable(const Report& report, const ReportHeading& heading);
    // Span numbers (from 1) selected in the span list of page 1.
    std::vector<int> selectedSpans() const;
    // The span list item of the current span rewritten from its support numbers.
    void refreshCurrentSpanItem();
    // Runs a field edit of the current span unless the window is filling its widgets.
    void spanEdit(const std::function<void()>& f);
    void fillSelectors(QComboBox* lines, QListWidget* spans);
    std::string dataFile(const char* name) const;
    // After an import: a new network is listed and opened from its file, an extended one shown.
    void importDone(bool newNetwork);

    std::unique_ptr<AppState> ownState_;
    AppState* app_ = nullptr;
    bool startupCheck_ = false;  // the folder check runs on the first activation
    bool folderChecked_ = false;
    int commandDepth_ = 0;         // >0 while a command runs (its dialogs activate the window)
    bool recheckPending_ = false;  // the window was activated while a calculation ran
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dlg_ = nullptr;
    int filling_ = 0;  // >0 while the window itself fills widgets

    QTabWidget* PageControlMain = nullptr;
    QTabWidget* PageControlSpanResult = nullptr;
    QProgressBar* ProgressBarCalc = nullptr;
    QPushButton* ButtonCancel = nullptr;
    std::atomic<bool> cancel_{false};
    CalcRun::Watch calcWatch_;
    QList<QPointer<QWidget>> lockedWidgets_;  // disabled for the run under way
    QList<QPointer<QAction>> lockedActions_;

    // Page "Линии".
    QTableWidget* StringGridFiles = nullptr;
    QTableWidget* StringGridLines = nullptr;
    QComboBox* ComboBoxU = nullptr;  // the voltage drop-down over column 4
    int voltageRow_ = -1;

    // Page "Параметры пролетов".
    QComboBox* ComboBoxVL = nullptr;
    QListWidget* ListBoxSpRp = nullptr;
    QLineEdit *EditNop1 = nullptr, *EditNop2 = nullptr, *EditComm = nullptr;
    QComboBox* ComboBoxPr = nullptr;
    QSpinBox* SpinEditMpr = nullptr;
    QLineEdit *EditHpr1 = nullptr, *EditHpr2 = nullptr, *EditH1 = nullptr, *EditH2 = nullptr, *EditLpr = nullptr;
    QLineEdit *EditFi = nullptr, *EditAngP = nullptr, *EditSi = nullptr, *EditLapr = nullptr;
    QComboBox *ComboBoxRegG = nullptr, *ComboBoxRegV = nullptr, *ComboBoxTM = nullptr;
    QComboBox* ComboBoxNPrep = nullptr;
    QLineEdit* EditTPrp = nullptr;
    QLabel *LabelLprep = nullptr, *LabelHprep = nullptr;
    QRadioButton *RadioButtonOne = nullptr, *RadioButtonTwo = nullptr;
    QRadioButton *RadioButtonUseSea = nullptr, *RadioButtonNotUseSea = nullptr;

    // Page "Исходные данные".
    QComboBox* ComboBoxSourceVL = nullptr;
    QListWidget* ListBoxSourceSpans = nullptr;
    QLineEdit *EditTvv = nullptr, *EditVv = nullptr, *EditAlfv = nullptr, *EditIv = nullptr, *EditBgv = nullptr,
              *EditGamma = nullptr;
    QList<QRadioButton*> RadioGroupTzv;
    QSpinBox *SpinEditPointsT = nullptr, *SpinEditPointsV = nullptr, *SpinEditPointsI = nullptr;
    QLineEdit *EditStepT = nullptr, *EditStepV = nullptr, *EditStepI = nullptr;
    QCheckBox* CheckBoxUseSourceCondition = nullptr;
    QTextEdit* RichEditSeries = nullptr;

    // Pages "Расчет пролета" and "Расчет ВЛ".
    QTextEdit* RichEditRez = nullptr;
    SpanViewChart* ChartSpanView = nullptr;
    TemperatureChartsView* ChartTemperature = nullptr;  // "График изменения температуры"
    QTextEdit* RichEditLineTable = nullptr;
    // What the result pages show, for printing: the reports with their headings, and whether the
    // charts were drawn.
    struct ShownReport {
        Report report;
        ReportHeading heading;
    };
    ShownReport spanReport_, lineReport_, seriesReport_;
    bool chartsDrawn_ = false, viewDrawn_ = false;

    SpanBuffer spanBuffer_;  // "Копировать данные в буфер" / "Вставить данные из буфера"
    EquipmentClipboard equipmentClipboard_;  // "Копировать" / "Вставить" of the line panel

    TFormImport* imports_[2] = {};

    QAction* pue6_ = nullptr;
    QAction* pue7_ = nullptr;
};

}  // namespace qem::ui
