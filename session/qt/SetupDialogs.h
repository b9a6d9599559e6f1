#pragma once
// The span set-up windows: thin views over the operations of setup/ that write straight into
// the current span of the open network.
#include <QDialog>
#include <functional>

#include "platform/Dialogs.h"
#include "session/AppState.h"

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QToolBar;

namespace qem::ui {

// "Расчет начальных условий".
class TFormRU : public QDialog {
public:
    TFormRU(AppState& app, Dialogs& dialogs, QWidget* parent = nullptr);
    // What the dialog does when it becomes active: refill, the sag of measurement 1 and a quiet
    // "Расчёт", column widths of the mode.
    void activate();
    void refill();
    void selectRow(int k);           // measurement k (1..count) becomes current
    void calculate();                // "Расчёт"
    void conductorTemp();            // "Расчёт температуры провода"
    void fullCalculation();          // "Полный расчёт"
    void runTool(const char* hint);  // a tool bar command by its hint

    QTableWidget* grid() const { return grid_; }
    QComboBox* sky() const { return sky_; }
    QLineEdit* stressField() const { return fields_[0]; }
    QLabel* stressLabel() const { return stressValue_; }

private:
    void showResult();
    void cellEdited(int row, int col);
    void cellSelected(int row, int col);
    void pickerDone();

    AppState& app_;
    Dialogs& dlg_;
    QTableWidget* grid_ = nullptr;
    QToolBar* tools_ = nullptr;
    QDateTimeEdit* picker_ = nullptr;
    int pickerRow_ = 0;
    QComboBox* sky_ = nullptr;
    QLabel* stressValue_ = nullptr;
    QLineEdit* fields_[4] = {};
    int filling_ = 0;
};

// "Установка замеров".
class TFormSetZam : public QDialog {
public:
    TFormSetZam(AppState& app, Dialogs& dialogs, QWidget* parent = nullptr);
    void edit(bool on);  // "Изменить" (true) / "Сохранить" (false)
    void add();          // "Добавить"
    void remove();       // "Удалить" of the selected row
    QTableWidget* grid() const { return grid_; }

private:
    void showRow(int point);
    AppState& app_;
    Dialogs& dlg_;
    QTableWidget* grid_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* save_ = nullptr;
    int filling_ = 0;
};

// "Задать препятсвия": works on the current span, and follows it when the main window makes
// another span current.
class TFormSetPrep : public QDialog {
public:
    TFormSetPrep(AppState& app, Dialogs& dialogs, QWidget* parent = nullptr);
    void edit(bool on);  // "Изменить" (true) / "Сохранить" (false, saves the network)
    void add();          // "Добавить"
    void remove();       // "Удалить" of the selected row
    void sort(bool ascending);
    void redraw();          // the rows shown
    void redraw(int rows);  // obstacles 1..rows
    // The span now current, shown from its record when it is another span than the one shown
    // (always with `force`, after the record of the span itself was replaced); nothing while
    // the editor itself reports a change.
    void follow(bool force = false);
    // Runs after each change of the obstacles and after closing.
    void setChangedHandler(std::function<void()> f) { changed_ = std::move(f); }
    QTableWidget* grid() const { return grid_; }
    QComboBox* typeBox() const { return type_; }
    QLabel* spanLabel() const { return span_; }

protected:
    void done(int r) override;  // saves the network on closing

private:
    void cellEdited(int row, int col);
    void changed();
    void showSpan();
    // Takes input when it shows a span and no calculation runs.
    void updateEnabled();
    AppState& app_;
    Dialogs& dlg_;
    QLabel* span_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QComboBox* type_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* save_ = nullptr;
    int filling_ = 0;
    bool reporting_ = false;
    // The span shown: line position, span number and record.
    int shownLine_ = 0, shownSpan_ = 0;
    const TySpan* shownRecord_ = nullptr;
    std::function<void()> changed_;
    CalcRun::Watch calcWatch_;
};

// "Профиль трассы".
class TFormZem : public QDialog {
public:
    TFormZem(AppState& app, Dialogs& dialogs, QWidget* parent = nullptr);
    void setCount(int n);  // "Количество участков"
    QTableWidget* grid() const { return grid_; }
    QSpinBox* countBox() const { return count_; }

private:
    void countChanged(int n);
    void showCount(int n);
    void cellEdited(int row, int col);
    AppState& app_;
    Dialogs& dlg_;
    QTableWidget* grid_ = nullptr;
    QSpinBox* count_ = nullptr;
    int shown_ = 0;  // the count in force
    int filling_ = 0;
};

}  // namespace qem::ui
