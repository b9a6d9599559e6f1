#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QStringList>
#include <QUrl>

namespace qem::ui {

static QString Q(const std::string& s) { return QString::fromStdString(s); }

QString QtFilter(const std::string& filter) {
    const QStringList parts = Q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return out.join(";;");
}

Answer QtDialogs::Ask(const std::string& text, Buttons buttons, const std::string& title, Icon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(title.empty() ? QApplication::applicationDisplayName() : Q(title));
    box.setText(Q(text));
    switch (icon) {
        case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Error: box.setIcon(QMessageBox::Critical); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    switch (buttons) {
        case Buttons::Ok: b = QMessageBox::Ok; break;
        case Buttons::Yes: b = QMessageBox::Yes; break;
        case Buttons::YesNo: b = QMessageBox::Yes | QMessageBox::No; break;
        case Buttons::YesCancel: b = QMessageBox::Yes | QMessageBox::Cancel; break;
        case Buttons::YesNoCancel: b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
        case Buttons::OkCancel: b = QMessageBox::Ok | QMessageBox::Cancel; break;
    }
    box.setStandardButtons(b);
    const int r = box.exec();
    if (r == QMessageBox::Yes || r == QMessageBox::Ok) return Answer::Yes;
    if (r == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> QtDialogs::OpenFileName(const std::string& initialDir, const std::string& filter,
                                                   const std::string&) {
    const QString f = QFileDialog::getOpenFileName(parent_, QString(), Q(initialDir), QtFilter(filter));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtDialogs::OpenFileNameFiltered(const std::string& initialDir, const std::string& filter,
                                                           const std::string&, int selected) {
    const QString filters = QtFilter(filter);
    QString chosen = filters.split(";;").value(selected - 1);
    const QString f = QFileDialog::getOpenFileName(parent_, QString(), Q(initialDir), filters, &chosen);
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtDialogs::SaveFileName(const std::string& initialDir, const std::string& filter,
                                                   const std::string& defaultExt) {
    QFileDialog dlg(parent_, QString(), Q(initialDir), QtFilter(filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    QString ext = Q(defaultExt);
    ext.remove("*.");
    ext.remove('.');
    if (!ext.isEmpty()) dlg.setDefaultSuffix(ext);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::BrowseFolder(const std::string& caption, const std::string&,
                                                   const std::string& start) {
    const QString d = QFileDialog::getExistingDirectory(parent_, Q(caption), Q(start));
    if (d.isEmpty()) return std::nullopt;
    return d.toStdString();
}

void QtDialogs::Progress(int position, int max) {
    if (!progress_) return;
    progress_->setMaximum(max);
    progress_->setValue(position);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtDialogs::ShowDocument(const std::string& utf8Path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(Q(utf8Path))))
        Ask("Книга записана в файл " + utf8Path + ", но открыть её программой для таблиц не удалось", Buttons::Ok, "",
            Icon::Information);
}

}  // namespace qem::ui
