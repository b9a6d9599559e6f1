#include "equipment/LineEquipment.h"

#include <algorithm>

#include "model/Cp1251.h"
#include "model/TextEntry.h"

namespace qem {

const char* const kKOGroupCaption[kKOGroups] = {"Ошиновка",      "Шина",        "Выключатель",
                                                "Разъединитель", "Заградитель", "Трансформатор тока"};
// "I, А": the ampere sign is the Cyrillic letter.
const char* const kKOGridHeader[5] = {"Наим. точки входа/выхода", "Тип", "Наименование", "I, \xD0\x90", "U, кВ"};
const char* const kBusGridHeader[12] = {"Наим. точки входа/выхода",
                                        "Тип",
                                        "S Al н,мм2",
                                        "S ст н,мм2",
                                        "S Al,мм2",
                                        "S ст,мм2",
                                        "d пр,см",
                                        "d ст,см",
                                        "r,Ом/км",
                                        "m Al,кг/км",
                                        "m ст,кг/км",
                                        "Разр.ус.,Н"};

TyKO& KOSlot(TyLine& line, int kind, int end) {
    const bool e1 = end == 1;
    switch (kind) {
        case 0: return e1 ? line.KOSwitch1 : line.KOSwitch2;
        case 1: return e1 ? line.KODisc1 : line.KODisc2;
        case 2: return e1 ? line.KOTrap1 : line.KOTrap2;
        default: return e1 ? line.KOCT1 : line.KOCT2;
    }
}

const TyKO& KOSlot(const TyLine& line, int kind, int end) { return KOSlot(const_cast<TyLine&>(line), kind, end); }

TyWire& BusSlot(TyLine& line, KOGroup g, int end) {
    if (g == KOGroup::Busbar) return end == 1 ? line.Bus1 : line.Bus2;
    return end == 1 ? line.Bus3 : line.Bus4;
}

const TyWire& BusSlot(const TyLine& line, KOGroup g, int end) { return BusSlot(const_cast<TyLine&>(line), g, end); }

Integer& BusCount(TyLine& line, KOGroup g, int end) {
    if (g == KOGroup::Busbar) return end == 1 ? line.NBus1 : line.NBus2;
    return end == 1 ? line.NBus3 : line.NBus4;
}

void SortKOCatByI(KOCat& cat) {
    const std::size_t n = cat.size();
    for (std::size_t pass = 0; pass < n; ++pass)
        for (std::size_t i = 0; i + 1 < n; ++i)
            if (cat[i].I > cat[i + 1].I) std::swap(cat[i], cat[i + 1]);
}

std::string KOItemText(const TyKO& ko) { return std::to_string(ko.I) + " " + Cp1251ToUtf8(ko.FullName.str()); }

std::vector<int> KOKindIndexes(const KOCat& cat, int kind) {
    std::vector<int> out;
    for (std::size_t i = 0; i < cat.size(); ++i)
        if (cat[i].Kind == kind) out.push_back(static_cast<int>(i));
    return out;
}

std::vector<std::string> GroupItems(const KOCat& ko, const WireCatalog& wires, KOGroup g) {
    if (IsConductorGroup(g)) return ConductorList(wires);
    std::vector<std::string> out;
    for (int i : KOKindIndexes(ko, GroupKind(g))) out.push_back(KOItemText(ko[static_cast<std::size_t>(i)]));
    return out;
}

int FindWireByText(const WireCatalog& cat, const TyWire& w) {
    const std::string text = WireDisplayText(w);
    for (int k = 1; k <= cat.NWires; ++k)
        if (WireDisplayText(cat.Wires[k]) == text) return k;
    return 0;
}

int SlotItem(const TyLine& line, const KOCat& ko, const WireCatalog& wires, KOGroup g, int row) {
    if (IsConductorGroup(g)) return FindWireByText(wires, BusSlot(line, g, row)) - 1;
    const std::string text = KOItemText(KOSlot(line, GroupKind(g), row));
    const std::vector<std::string> items = GroupItems(ko, wires, g);
    auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

TextGrid GroupGrid(const TyLine& line, const KOCat& ko, const WireCatalog& wires, KOGroup g) {
    const bool conductor = IsConductorGroup(g);
    const int cols = conductor ? 12 : 5;
    TextGrid grid(3, cols);
    for (int c = 0; c < cols; ++c) grid.at(0, c) = conductor ? kBusGridHeader[c] : kKOGridHeader[c];
    grid.at(1, 0) = Cp1251ToUtf8(line.From.str());
    grid.at(2, 0) = Cp1251ToUtf8(line.To.str());
    for (int row = 1; row <= 2; ++row) {
        if (conductor) {
            const TyWire& w = BusSlot(line, g, row);
            const int k = FindWireByText(wires, w);
            if (k == 0) continue;
            grid.at(row, 1) = Cp1251ToUtf8(w.Name.str());
            grid.at(row, 2) = FormatFixed(w.SAlN, 4, 0);
            grid.at(row, 3) = FormatFixed(w.SStN, 3, 0);
            grid.at(row, 4) = FormatFixed(wires.WireSAl[k], 6, 1);
            grid.at(row, 5) = FormatFixed(wires.WireSSt[k], 5, 1);
            grid.at(row, 6) = FormatFixed(w.D, 4, 2);
            grid.at(row, 7) = FormatFixed(w.DSt, 4, 2);
            grid.at(row, 8) = FormatFixed(w.R, 5, 3);
            grid.at(row, 9) = FormatFixed(w.MAl, 4, 0);
            grid.at(row, 10) = FormatFixed(w.MSt, 4, 0);
            grid.at(row, 11) = FormatFixed(wires.WireBreak[k], 6, 0);
        } else {
            const TyKO& s = KOSlot(line, GroupKind(g), row);
            if (FindKO(ko, s) < 0) continue;
            grid.at(row, 1) = Cp1251ToUtf8(s.Name.str());
            grid.at(row, 2) = Cp1251ToUtf8(s.FullName.str());
            grid.at(row, 3) = std::to_string(s.I);
            grid.at(row, 4) = ShortestSingle(static_cast<float>(s.U / 1000.0));
        }
    }
    return grid;
}

LineEquipment::LineEquipment(Network& net, int pos, KOCat& ko, const WireCatalog& wires, Dialogs& dialogs)
    : net_(net), pos_(pos), ko_(ko), wires_(wires), dlg_(dialogs), KOBackup(net.Line(pos)) {
    SortKOCatByI(ko_);
}

std::string LineEquipment::Caption() const {
    return "Концевое оборудование: " + Cp1251ToUtf8(Line().From.str()) + " - " + Cp1251ToUtf8(Line().To.str());
}

bool LineEquipment::Choose(KOGroup g, int row, int item) {
    const int end = row == 1 ? 1 : 2;
    if (IsConductorGroup(g)) {
        if (item < 0 || item >= wires_.NWires) return false;
        BusSlot(Line(), g, end) = wires_.Wires[item + 1];
    } else {
        const std::vector<int> idx = KOKindIndexes(ko_, GroupKind(g));
        if (item < 0 || item >= static_cast<int>(idx.size())) return false;
        KOSlot(Line(), GroupKind(g), end) = ko_[static_cast<std::size_t>(idx[static_cast<std::size_t>(item)])];
    }
    KOModified = true;
    net_.MarkModified();
    return true;
}

bool LineEquipment::DeleteSlot(KOGroup g, int row) {
    if (row != 1 && row != 2) return false;
    if (dlg_.Ask(kMsgKODeleteSlot, Buttons::YesCancel) != Answer::Yes) return false;
    if (IsConductorGroup(g))
        BusSlot(Line(), g, row) = TyWire{};
    else
        KOSlot(Line(), GroupKind(g), row) = TyKO{};
    net_.MarkModified();
    return true;
}

void LineEquipment::SetWireCount(KOGroup g, int end, int count) {
    if (!IsConductorGroup(g)) return;
    Integer& n = BusCount(Line(), g, end);
    const Integer to = std::clamp(count, kMinBusWires, kMaxBusWires);
    if (n != to) net_.MarkModified();
    n = to;
}

bool LineEquipment::SetCable(bool ddtn, const std::string& text) {
    if (!TextToSingle(text, ddtn ? Line().CabDDTN : Line().CabADTN, dlg_)) return false;
    net_.MarkModified();
    return true;
}

bool LineEquipment::ResetCable() {
    if (dlg_.Ask(kMsgKOResetCable, Buttons::YesCancel) != Answer::Yes) return false;
    Line().CabDDTN = 0;
    Line().CabADTN = 0;
    net_.MarkModified();
    return true;
}

bool LineEquipment::ClearAll() {
    if (dlg_.Ask(kMsgKOClearAll, Buttons::YesCancel) != Answer::Yes) return false;
    TyLine& l = Line();
    for (TyWire* w : {&l.Bus1, &l.Bus2, &l.Bus3, &l.Bus4}) w->Name.assign("");
    for (int kind = 0; kind < 4; ++kind)
        for (int end = 1; end <= 2; ++end) KOSlot(l, kind, end).FullName.assign("");
    KOModified = true;
    net_.MarkModified();
    return true;
}

bool LineEquipment::Undo() {
    if (dlg_.Ask(kMsgKOUndo, Buttons::YesCancel) != Answer::Yes) return false;
    Line() = KOBackup;
    KOModified = false;
    net_.MarkModified();
    return true;
}

void LineEquipment::Save() {
    KOBackup = Line();
    KOModified = false;
}

void LineEquipment::Close() {
    if (KOModified && dlg_.Ask(kMsgKOConfirmSave, Buttons::OkCancel) != Answer::Yes) {
        Line() = KOBackup;
        net_.MarkModified();
    }
}

void CopyEquipment(EquipmentClipboard& clip, int pos) { clip.from = pos; }

bool PasteEquipment(Network& net, const EquipmentClipboard& clip, int pos) {
    if (!clip.from || *clip.from < 1 || *clip.from > net.NLines() || pos < 1 || pos > net.NLines()) return false;
    const TyLine src = net.Line(*clip.from);
    TyLine& dst = net.Line(pos);
    dst.CabDDTN = src.CabDDTN;
    dst.CabADTN = src.CabADTN;
    dst.Bus1 = src.Bus1;
    dst.Bus2 = src.Bus2;
    dst.Bus3 = src.Bus3;
    dst.Bus4 = src.Bus4;
    dst.NBus1 = src.NBus1;
    dst.NBus2 = src.NBus2;
    dst.NBus3 = src.NBus3;
    dst.NBus4 = src.NBus4;
    for (int kind = 0; kind < 4; ++kind)
        for (int end = 1; end <= 2; ++end) KOSlot(dst, kind, end) = KOSlot(src, kind, end);
    net.MarkModified();
    return true;
}

}  // namespace qem
