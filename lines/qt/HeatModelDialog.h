#pragma once
// "Модели нагрева…" of the menu "Каталог": the emissivity and absorptivity of the conductor
// surface that the models of IEEE Std 738 and CIGRE TB 601 take (the program's own method keeps
// its 0.6 and 0.6), kept in heatmodels.txt of the data folder.
#include <QDialog>

#include "model/AppData.h"
#include "platform/Dialogs.h"

class QDoubleSpinBox;

namespace qem::ui {

class HeatModelDialog : public QDialog {
    Q_OBJECT
public:
    HeatModelDialog(QWidget* parent, AppData& data, Dialogs& dlg);

    QDoubleSpinBox* emissivity() const { return emissivity_; }
    QDoubleSpinBox* absorptivity() const { return absorptivity_; }

    // Takes the values and writes them; stays open when they cannot be written.
    void accept() override;

private:
    AppData& data_;
    Dialogs& dlg_;
    QDoubleSpinBox* emissivity_;
    QDoubleSpinBox* absorptivity_;
};

}  // namespace qem::ui
