#pragma once
// Everything a command asks the user goes through this interface: messages, questions,
// file and folder choices and progress. The windowed program implements it with Qt
// dialogs (platform/qt/QtDialogs), tests and qemcli with ScriptedDialogs.
#include <optional>
#include <string>

namespace qem {

enum class Answer { Yes, No, Cancel };
enum class Buttons { Ok, Yes, YesNo, YesCancel, YesNoCancel, OkCancel };
enum class Icon { None, Information, Warning, Error, Question };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A message box; with Buttons::Ok or Buttons::Yes it only informs. Texts are UTF-8. The
    // answer to OK is Answer::Yes.
    virtual Answer Ask(const std::string& text, Buttons buttons, const std::string& title = "",
                       Icon icon = Icon::None) = 0;
    void Message(const std::string& text, const std::string& title = "", Icon icon = Icon::None) {
        Ask(text, Buttons::Ok, title, icon);
    }
    // Message(text) when there is something to say.
    void MessageIfAny(const std::string& text) {
        if (!text.empty()) Message(text);
    }
    // File dialogs: filter in the form "Данные для Qem|*.qem|Все файлы|*.*"; nullopt on Cancel.
    virtual std::optional<std::string> OpenFileName(const std::string& initialDir, const std::string& filter,
                                                    const std::string& defaultExt) = 0;
    // The open-file dialog with filter entry `selected` (from 1) chosen when it opens.
    virtual std::optional<std::string> OpenFileNameFiltered(const std::string& initialDir, const std::string& filter,
                                                            const std::string& defaultExt, int selected) {
        return OpenFileName(initialDir, filter, defaultExt);
    }
    virtual std::optional<std::string> SaveFileName(const std::string& initialDir, const std::string& filter,
                                                    const std::string& defaultExt) = 0;
    virtual std::optional<std::string> BrowseFolder(const std::string& caption, const std::string& root,
                                                    const std::string& start) = 0;
    // Progress of a long calculation: position 0..max; Cancelled() is asked between steps.
    virtual void Progress(int position, int max) {}
    virtual bool Cancelled() { return false; }
    // Hands a file the command wrote (a workbook) to the user: the windowed program opens it
    // with the user's program for its kind; elsewhere nothing happens.
    virtual void ShowDocument(const std::string& utf8Path) {}
};

}  // namespace qem
