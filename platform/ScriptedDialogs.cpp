#include "platform/ScriptedDialogs.h"

namespace qem {

Answer ScriptedDialogs::Ask(const std::string& text, Buttons buttons, const std::string& title, Icon icon) {
    shown.push_back({text, buttons, title, icon});
    if (echo) echo(text);
    if (buttons == Buttons::Ok || buttons == Buttons::Yes) return Answer::Yes;
    Answer a = defaultAnswer;
    if (!answers.empty()) {
        a = answers.front();
        answers.pop_front();
    }
    if (a == Answer::No && (buttons == Buttons::YesCancel || buttons == Buttons::OkCancel)) a = Answer::Cancel;
    if (a == Answer::Cancel && buttons == Buttons::YesNo) a = Answer::No;
    return a;
}

static std::optional<std::string> Take(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto v = q.front();
    q.pop_front();
    return v;
}

std::optional<std::string> ScriptedDialogs::OpenFileName(const std::string&, const std::string&, const std::string&) {
    return Take(files);
}
std::optional<std::string> ScriptedDialogs::SaveFileName(const std::string&, const std::string&, const std::string&) {
    return Take(files);
}
std::optional<std::string> ScriptedDialogs::BrowseFolder(const std::string&, const std::string&, const std::string&) {
    return Take(folders);
}

std::vector<std::string> ScriptedDialogs::Texts() const {
    std::vector<std::string> t;
    for (const auto& s : shown) t.push_back(s.text);
    return t;
}

}  // namespace qem
