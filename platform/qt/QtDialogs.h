#pragma once
// Qt implementation of the dialog interface: message boxes without icon unless asked,
// the file dialogs with the program's filters, the folder browser and the main window's
// progress bar.
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include "platform/Dialogs.h"

class QWidget;
class QProgressBar;

namespace qem::ui {

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent, QProgressBar* progress = nullptr) : parent_(parent), progress_(progress) {}
    Answer Ask(const std::string& text, Buttons buttons, const std::string& title, Icon icon) override;
    std::optional<std::string> OpenFileName(const std::string& initialDir, const std::string& filter,
                                            const std::string& defaultExt) override;
    std::optional<std::string> OpenFileNameFiltered(const std::string& initialDir, const std::string& filter,
                                                    const std::string& defaultExt, int selected) override;
    std::optional<std::string> SaveFileName(const std::string& initialDir, const std::string& filter,
                                            const std::string& defaultExt) override;
    std::optional<std::string> BrowseFolder(const std::string& caption, const std::string& root,
                                            const std::string& start) override;
    void Progress(int position, int max) override;
    // Opens the file with the desktop's program for it; says where the file is when none opens it.
    void ShowDocument(const std::string& utf8Path) override;

private:
    QPointer<QWidget> parent_;
    QPointer<QProgressBar> progress_;
};

// "Данные для Qem|*.qem|Все файлы|*.*" -> "Данные для Qem (*.qem);;Все файлы (*.*)"
QString QtFilter(const std::string& filter);

}  // namespace qem::ui
