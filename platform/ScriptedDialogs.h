#pragma once
// Dialogs answered from a script: tests queue the answers and read back what was shown;
// qemcli prints messages to stderr and answers every question with one fixed answer.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace qem {

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        std::string text;
        Buttons buttons;
        std::string title;
        Icon icon = Icon::None;
    };
    std::vector<Shown> shown;                        // every message and question, in order
    std::deque<Answer> answers;                      // answers to questions, taken in order
    Answer defaultAnswer = Answer::No;               // when the queue is empty
    std::deque<std::optional<std::string>> files;    // file dialog results
    std::deque<std::optional<std::string>> folders;  // folder dialog results
    std::function<void(const std::string&)> echo;    // called with every text shown
    std::vector<int> progress;                       // positions reported
    bool cancelAfterProgress = false;                // Cancelled() turns true after the first step

    Answer Ask(const std::string& text, Buttons buttons, const std::string& title, Icon icon) override;
    std::optional<std::string> OpenFileName(const std::string&, const std::string&, const std::string&) override;
    std::optional<std::string> SaveFileName(const std::string&, const std::string&, const std::string&) override;
    std::optional<std::string> BrowseFolder(const std::string&, const std::string&, const std::string&) override;
    void Progress(int position, int max) override { progress.push_back(position); }
    bool Cancelled() override { return cancelAfterProgress && !progress.empty(); }
    std::vector<std::string> documents;  // files handed to the user
    void ShowDocument(const std::string& path) override { documents.push_back(path); }

    // Texts shown so far, one per element.
    std::vector<std::string> Texts() const;
};

}  // namespace qem
