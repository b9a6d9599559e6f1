#include "session/LineList.h"

#include <charconv>
#include <utility>

#include "model/Cp1251.h"
#include "model/Format.h"
#include "model/TextEntry.h"

namespace qem {

const char* const kLineListHeader[kLineListColumns] = {"№",   "ОТ",  "ДО", "№ ВЛ", "U ВЛ",       "Кол пр", "Ош1",
                                                       "Ош2", "В1",  "В2", "Р1",   "Р2",         "З1",     "З2",
                                                       "ТТ1", "ТТ2", "Ш1", "Ш2",   "К ДДНТ/АДТН"};

namespace {

std::string Shortest(float v) {
    char buf[32];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, p);
}

std::string Text(const ShortStr<25>& s) { return Cp1251ToUtf8(s.str()); }
std::string Text(const ShortStr<30>& s) { return Cp1251ToUtf8(s.str()); }
std::string Text(const ShortStr<255>& s) { return Cp1251ToUtf8(s.str()); }

}  // namespace

std::string LineListCell(const TyLine& l, int i, int column) {
    switch (column) {
        case 0: return Format("%3d", i);
        case 1: return Text(l.From);
        case 2: return Text(l.To);
        case 3: return l.NVL == 0 ? kUnsetLineNumber : Format("%6d", l.NVL);
        case 4: return VoltageText(l.Uvl);
        case 5: return std::to_string(l.NSpans());
        case 6: return Text(l.Bus1.Name);
        case 7: return Text(l.Bus2.Name);
        case 8: return Text(l.KOSwitch1.FullName);
        case 9: return Text(l.KOSwitch2.FullName);
        case 10: return Text(l.KODisc1.FullName);
        case 11: return Text(l.KODisc2.FullName);
        case 12: return Text(l.KOTrap1.FullName);
        case 13: return Text(l.KOTrap2.FullName);
        case 14: return Text(l.KOCT1.FullName);
        case 15: return Text(l.KOCT2.FullName);
        case 16: return Text(l.Bus3.Name);
        case 17: return Text(l.Bus4.Name);
        case 18: return Shortest(l.CabDDTN) + "/" + Shortest(l.CabADTN);
        default: return {};
    }
}

std::vector<std::vector<std::string>> FillLineList(Network& net) {
    std::vector<std::vector<std::string>> grid;
    grid.emplace_back(kLineListHeader, kLineListHeader + kLineListColumns);
    for (int i = 1; i <= net.NLines(); ++i) {
        TyLine& l = net.Line(i);
        if (l.Uvl > 7) l.Uvl = 7;
        std::vector<std::string> row;
        row.reserve(kLineListColumns);
        for (int c = 0; c < kLineListColumns; ++c) row.push_back(LineListCell(l, i, c));
        grid.push_back(std::move(row));
    }
    return grid;
}

bool EditLineListCell(Network& net, int row, int column, const std::string& text, Dialogs& dlg) {
    if (row < 1 || row > net.NLines()) return false;
    TyLine& l = net.Line(row);
    const auto from = l.From, to = l.To;
    const Integer nvl = l.NVL;
    switch (column) {
        case 1: l.From.assign(Utf8ToCp1251(Utf8Left(text, 25))); break;
        case 2: l.To.assign(Utf8ToCp1251(Utf8Left(text, 25))); break;
        case 3:
            // The shown mark of an unset number reads back as unset.
            if (text == kUnsetLineNumber)
                l.NVL = 0;
            else
                TextToInt(text, l.NVL, dlg);
            break;
        default: return false;
    }
    if (!(l.From == from && l.To == to && l.NVL == nvl)) net.MarkModified();
    return true;
}

void ChooseVoltage(Network& net, int item) {
    if (net.NLines() == 0 || item < 0 || item > 7) return;
    Byte& uvl = net.Line(net.CurLine).Uvl;
    if (uvl != Byte(item)) net.MarkModified();
    uvl = Byte(item);
}

void FirstLine(Network& net) {
    if (net.NLines() > 0) net.CurLine = 1;
}
void PreviousLine(Network& net) {
    if (net.CurLine > 1) --net.CurLine;
}
void NextLine(Network& net) {
    if (net.CurLine < net.NLines()) ++net.CurLine;
}
void LastLine(Network& net) { net.CurLine = net.NLines(); }

void AddLineCommand(AppState& app, Dialogs& dlg) {
    if (!app.net.AddLine(app.FirstWire())) dlg.Message(kMsgLinesFull, "", Icon::Warning);
}

void InsertLineCommand(AppState& app, Dialogs& dlg) {
    const int p = app.net.CurLine < 1 ? 1 : app.net.CurLine;
    if (!app.net.InsertLine(p, app.FirstWire())) dlg.Message(kMsgLinesFull, "", Icon::Warning);
}

void DeleteLineCommand(AppState& app, Dialogs& dlg) {
    if (app.net.NLines() == 0) return;
    if (app.net.NLines() == 1) {
        dlg.Message(kMsgOnlyLine, "", Icon::Information);
        return;
    }
    if (dlg.Ask("Вы действительно хотите удалить выбранный элемент", Buttons::YesCancel) != Answer::Yes) return;
    app.net.DeleteLine(app.net.CurLine);
}

void MoveLineDown(Network& net) {
    if (net.CurLine < 1 || net.CurLine >= net.NLines()) return;
    std::swap(net.Line(net.CurLine), net.Line(net.CurLine + 1));
    ++net.CurLine;
    net.MarkModified();
}

void MoveLineUp(Network& net) {
    if (net.CurLine <= 1 || net.CurLine > net.NLines()) return;
    std::swap(net.Line(net.CurLine), net.Line(net.CurLine - 1));
    --net.CurLine;
    net.MarkModified();
}

}  // namespace qem
