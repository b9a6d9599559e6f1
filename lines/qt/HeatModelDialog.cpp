#include "lines/qt/HeatModelDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "lines/ShortTimeCommands.h"

namespace qem::ui {

HeatModelDialog::HeatModelDialog(QWidget* parent, AppData& data, Dialogs& dlg)
    : QDialog(parent), data_(data), dlg_(dlg) {
    setObjectName("HeatModelDialog");
    setWindowTitle(QStringLiteral("Модели нагрева"));
    auto* lay = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Поверхность провода в моделях IEEE Std 738-2012 и CIGRE TB 601.\n"
                                           "Методика программы всегда принимает 0,6 и 0,6.\n"
                                           "Новые значения действуют со следующего расчёта."),
                            this);
    lay->addWidget(note);
    auto* form = new QFormLayout;
    auto spin = [this](const char* name, double value) {
        auto* s = new QDoubleSpinBox(this);
        s->setObjectName(QString::fromUtf8(name));
        s->setRange(0.01, 1.0);
        s->setSingleStep(0.05);
        s->setDecimals(2);
        s->setValue(value);
        return s;
    };
    emissivity_ = spin("SpinEmissivity", data.heat.emissivity);
    absorptivity_ = spin("SpinAbsorptivity", data.heat.absorptivity);
    form->addRow(QStringLiteral("Излучательная способность ε"), emissivity_);
    form->addRow(QStringLiteral("Поглощательная способность α"), absorptivity_);
    lay->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &HeatModelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &HeatModelDialog::reject);
    lay->addWidget(buttons);
}

void HeatModelDialog::accept() {
    if (SetSurfaceFactors(data_, emissivity_->value(), absorptivity_->value(), dlg_)) QDialog::accept();
}

}  // namespace qem::ui
