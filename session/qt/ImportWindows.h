#pragma once
// The two import windows, "Импорт данных из Excel по 1 точке" and "... по 2 точкам": a crews'
// workbook is read and shown, then its rows become a new network, a new line of the open
// network or more spans of the selected line (setup/ImportSheet, setup/ImportLoad). Each
// window is made once by the main window and reused; closing it only hides it.
#include <QDialog>
#include <functional>
#include <optional>

#include "platform/Dialogs.h"
#include "session/AppState.h"
#include "session/NetworkCommands.h"
#include "setup/ImportLoad.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace qem::ui {

class TFormImport : public QDialog {
public:
    // afterImport runs once the network was imported and saved: it is told whether the network
    // is a new one (in its own new file) or the open one extended.
    TFormImport(AppState& app, Dialogs& dialogs, ImportPoints points, std::function<void(bool newNetwork)> afterImport,
                QWidget* parent = nullptr);

    // "Загрузить данные из Excel": the file dialog, then the reading of the chosen workbook.
    void loadFromDialog();
    // Reads a workbook; true when it was taken (a failure is shown and leaves loading open).
    bool load(const std::string& path);
    void addLine();       // "Добавить линию"
    bool confirm();       // "Подтвердить"
    void cancel();        // "Отменить"
    void saveTemplate();  // "Сохранить шаблон…"
    void setMode(ImportMode m);
    // What the main window does when a save question of the import writes the network.
    void setFolderHooks(FolderHooks hooks) { hooks_ = std::move(hooks); }

    ImportPoints points() const { return points_; }
    const std::optional<ImportTable>& table() const { return table_; }
    QTableWidget* grid() const { return grid_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* addLineButton() const { return addLine_; }
    QPushButton* confirmButton() const { return confirm_; }
    QPushButton* cancelButton() const { return cancel_; }
    QCheckBox* multiBox() const { return multi_; }
    QGroupBox* newLineGroup() const { return group_; }
    QGroupBox* namesGroup() const { return names_; }
    QRadioButton* modeButton(ImportMode m) const { return modes_[int(m)]; }
    QLineEdit* fileNameEdit() const { return fileName_; }
    QComboBox* voltageBox() const { return voltage_; }
    QLineEdit* fromEdit() const { return from_; }
    QLineEdit* toEdit() const { return to_; }
    QLabel* countLabel() const { return count_; }
    QLabel* fileLabel() const { return file_; }
    QLabel* nameLabel() const { return name_; }

private:
    ImportMode mode() const;
    void multiChanged();
    void modeChanged();
    void showTable();
    // Back to the state before a workbook was read: the grid and labels emptied, loading open.
    void reset();

    AppState& app_;
    Dialogs& dlg_;
    ImportPoints points_;
    std::function<void(bool)> afterImport_;
    FolderHooks hooks_;
    std::optional<ImportTable> table_;
    std::string path_;  // the workbook the table was read from

    QPushButton *load_ = nullptr, *template_ = nullptr, *addLine_ = nullptr, *confirm_ = nullptr, *cancel_ = nullptr;
    QCheckBox* multi_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel *count_ = nullptr, *file_ = nullptr, *name_ = nullptr;
    QGroupBox *group_ = nullptr, *names_ = nullptr;
    QRadioButton* modes_[3] = {};
    QLineEdit *fileName_ = nullptr, *from_ = nullptr, *to_ = nullptr;
    QComboBox* voltage_ = nullptr;
};

}  // namespace qem::ui
