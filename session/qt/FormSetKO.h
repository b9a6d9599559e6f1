#pragma once
// The window "Концевое оборудование" of the current line: seven group boxes over the line's
// slots, thin over LineEquipment.
#include <QDialog>
#include <array>
#include <memory>

#include "equipment/LineEquipment.h"
#include "session/AppState.h"

class QTableWidget;
class QComboBox;
class QSpinBox;
class QLineEdit;
class QScrollArea;

namespace qem::ui {

class TFormSetKO : public QDialog {
public:
    TFormSetKO(QWidget* parent, AppState& app, Dialogs& dialogs);

    LineEquipment& core() { return *core_; }
    QTableWidget* grid(KOGroup g) const { return grids_[static_cast<std::size_t>(g)]; }
    QComboBox* combo(KOGroup g) const { return combos_[static_cast<std::size_t>(g)]; }
    QSpinBox* wireCount(KOGroup g, int end) const;
    QLineEdit* cableEdit(bool ddtn) const { return ddtn ? cabD_ : cabA_; }

    // The grids and the drop-downs from the line and the catalogs.
    void refill();
    void done(int r) override;

private:
    AppState& app_;
    Dialogs& dlg_;
    std::unique_ptr<LineEquipment> core_;
    std::array<QTableWidget*, kKOGroups> grids_{};
    std::array<QComboBox*, kKOGroups> combos_{};
    std::array<QSpinBox*, 4> counts_{};
    QLineEdit* cabD_ = nullptr;
    QLineEdit* cabA_ = nullptr;
    bool closed_ = false;

    void fillGrid(KOGroup g);
    void fillCombo(KOGroup g);
    void showRowItem(KOGroup g, int row);
    void editKinds(int kind);
    void fitScreen(QWidget* content, QScrollArea* scroll);
};

}  // namespace qem::ui
