#pragma once
// The catalog window "Каталог": conductors, clearance norms and terminal equipment, thin over
// CatalogEditor.
#include <QDialog>
#include <array>

#include "equipment/CatalogEditor.h"
#include "session/AppState.h"

class QTabWidget;
class QTableWidget;
class QComboBox;
class QCheckBox;
class QRadioButton;

namespace qem::ui {

class TFormCat : public QDialog {
public:
    TFormCat(QWidget* parent, AppState& app, Dialogs& dialogs);

    CatalogEditor& core() { return core_; }
    QTabWidget* pages() const { return pages_; }
    QTableWidget* wireGrid() const { return wires_; }
    QTableWidget* normsGrid(NormsPage p) const { return norms_[static_cast<std::size_t>(p)]; }
    QTabWidget* normsPages() const { return normsPages_; }
    QCheckBox* below110() const { return below110_; }
    QComboBox* kindBox() const { return kind_; }
    QTableWidget* koList() const { return koList_; }
    QTableWidget* tempGrid() const { return temp_; }

    // Opening: every grid refilled from the catalogs (the conductor grid read-only).
    void activate();
    // Every later activation, and a switch of the rules in the main window: the grids show the
    // catalogs in memory and the norms of the rules in force (edit modes kept). On activation a
    // grid whose cell is being typed in keeps it; `all` refills that one too.
    void refresh(bool all = false);
    void selectKind(int kind);
    QRadioButton* pueButton(bool pue6) const { return pue6 ? pue6_ : pue7_; }

protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;

private:
    CatalogEditor core_;
    AppState& app_;
    QTabWidget* pages_ = nullptr;
    QTableWidget* wires_ = nullptr;
    QTabWidget* normsPages_ = nullptr;
    std::array<QTableWidget*, 3> norms_{};
    QCheckBox* below110_ = nullptr;
    QRadioButton* pue6_ = nullptr;
    QRadioButton* pue7_ = nullptr;
    QComboBox* kind_ = nullptr;
    QTableWidget* koList_ = nullptr;
    QTableWidget* temp_ = nullptr;

    void buildWiresPage(QWidget* page);
    void buildNormsPage(QWidget* page);
    void buildKOPage(QWidget* page);
    void fillWires();
    void fillNorms();
    void fillKOList();
    void fillTemp();
    void setEditable(QTableWidget* t, bool on);
    void showRulesInForce();
};

}  // namespace qem::ui
