#include "equipment/CatalogEditor.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/Settings.h"
#include "model/TextEntry.h"
#include "platform/FileSystem.h"

namespace qem {

const char* const kKOListHeader[4] = {"Тип", "Полное наименование", "U ,кВ", "I ,A"};
const char* const kKOTempRowTitle[2] = {"ДДТН", "AДТН"};

void SortKOCat(KOCat& cat, bool byU, bool descending) {
    auto key = [byU](const TyKO& k) { return byU ? k.U : k.I; };
    const std::size_t n = cat.size();
    for (std::size_t pass = 0; pass < n; ++pass)
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const bool out = descending ? key(cat[i]) < key(cat[i + 1]) : key(cat[i]) > key(cat[i + 1]);
            if (out) std::swap(cat[i], cat[i + 1]);
        }
}

CatalogEditor::CatalogEditor(AppData& data, Network& net, const CalcRun& calc, Dialogs& dialogs)
    : data_(data), net_(net), calc_(calc), dlg_(dialogs) {
    Activate();
}

void CatalogEditor::showError(const std::exception& e) { dlg_.Message(e.what(), "Ошибка", Icon::Error); }

bool CatalogEditor::refused() { return RefusedWhileCalculating(calc_, dlg_); }

void CatalogEditor::Activate() {
    conductors_ = FillConductorGrid(data_.wires);
    conductorsEditable_ = false;
    importPending_ = false;
    RedrawKOList();
}

void CatalogEditor::Refresh() {
    if (!importPending_) conductors_ = FillConductorGrid(data_.wires);
    const int sel = KOSelRow_;
    RedrawKOList();
    if (sel < static_cast<int>(KORows_.size())) KOSelRow_ = sel;
}

// ------------------------------------------------------------------ conductors

bool CatalogEditor::EditConductorCell(int row, int col, const std::string& text) {
    if (refused()) return false;
    if (!conductorsEditable_ || row < 1 || row >= conductors_.rowCount() || col < 0 || col >= conductors_.colCount)
        return false;
    WireCatalog& cat = data_.wires;
    // A row beyond the catalog (an imported grid) lives in the grid only until it is saved.
    const bool inCatalog = row <= cat.NWires;
    if (col == 0) {
        if (inCatalog) cat.Wires[row].Name.assign(Utf8ToCp1251(text));
        conductors_.at(row, col) = text;
        return true;
    }
    float scratch = 0;
    float* field = &scratch;
    if (inCatalog) {
        TyWire& w = cat.Wires[row];
        float* fields[12] = {nullptr,
                             &w.SAlN,
                             &w.SStN,
                             &cat.WireSAl[row],
                             &cat.WireSSt[row],
                             &w.D,
                             &w.DSt,
                             &w.R,
                             &w.MAl,
                             &w.MSt,
                             &cat.WireBreak[row],
                             &w.TMax};
        field = fields[col];
    }
    if (!TextToSingle(text, *field, dlg_)) return false;
    conductors_.at(row, col) = text;
    return true;
}

int CatalogEditor::AddConductor() {
    if (refused()) return 0;
    WireCatalog& cat = data_.wires;
    if (cat.NWires >= kMaxWires) return 0;
    cat.NWires = static_cast<Byte>(cat.NWires + 1);
    TyWire w;
    w.AlfaR = kNewWireAlfaR;
    cat.Wires[cat.NWires] = w;
    cat.WireBreak[cat.NWires] = 0;
    cat.WireSAl[cat.NWires] = 0;
    cat.WireSSt[cat.NWires] = 0;
    conductors_ = FillConductorGrid(cat);
    conductorsEditable_ = true;
    return cat.NWires;
}

bool CatalogEditor::DeleteConductor(int row) {
    if (refused()) return false;
    if (row < 1 || row >= conductors_.rowCount()) return false;
    if (dlg_.Ask(kMsgCatDeleteWire, Buttons::YesNo, kMsgCatDeleteTitle, Icon::Question) != Answer::Yes) return false;
    TextGrid g = conductors_;
    g.removeRow(row);
    try {
        SaveCatalogs(g, data_.dataDir, FieldText(data_.settings.WireCatFile), data_.usePue6, data_.wires, data_.norms);
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
    conductors_ = std::move(g);
    importPending_ = false;
    return true;
}

bool CatalogEditor::Save() {
    if (refused()) return false;
    try {
        SaveCatalogs(conductors_, data_.dataDir, FieldText(data_.settings.WireCatFile), data_.usePue6, data_.wires,
                     data_.norms);
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
    conductorsEditable_ = false;
    normsEditable_ = false;
    importPending_ = false;
    return true;
}

void CatalogEditor::SortConductors(bool up) {
    if (refused()) return;
    SortCatalog(data_.wires, up ? SortOrder::Ascending : SortOrder::Descending);
    conductors_ = FillConductorGrid(data_.wires);
    importPending_ = false;
}

bool CatalogEditor::ImportConductors(const std::filesystem::path& file) {
    if (refused()) return false;
    try {
        ImportGrid(conductors_, file);
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
    importPending_ = true;
    return true;
}

bool CatalogEditor::ExportConductors(const std::filesystem::path& file) {
    try {
        ExportGrid(conductors_, file);
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
    return true;
}

// ------------------------------------------------------------------ norms

TextGrid CatalogEditor::NormsGridOf(NormsPage page) const { return NormsGrid(data_.norms, page, showBelow110_); }

bool CatalogEditor::EditNormsCell(NormsPage page, int row, int col, const std::string& text) {
    if (refused()) return false;
    if (!normsEditable_) return false;
    float* cell = NormsCell(data_.norms, page, row, col);
    if (!cell) return false;
    return TextToSingle(text, *cell, dlg_);
}

bool CatalogEditor::SwitchPue(bool usePue6) {
    if (data_.usePue6 != usePue6 && refused()) return false;
    if (data_.usePue6 == usePue6) return true;
    try {
        SwitchNormsSaving(data_, conductors_, usePue6, &dlg_);
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
    net_.UsePUE6 = usePue6 ? 1 : 0;
    net_.UsePUE7 = usePue6 ? 0 : 1;
    conductors_ = FillConductorGrid(data_.wires);
    importPending_ = false;
    RedrawKOList();
    return true;
}

// ------------------------------------------------------------------ terminal equipment

std::filesystem::path CatalogEditor::KOFile() const { return data_.dataDir / std::filesystem::u8path(kKOCatFileName); }

void CatalogEditor::SetKind(int kind) {
    kind_ = std::clamp(kind, 0, 3);
    RedrawKOList();
}

void CatalogEditor::RedrawKOList() {
    KORows_.clear();
    const KOCat& cat = data_.ko;
    for (std::size_t i = 0; i < cat.size(); ++i)
        if (cat[i].Kind == kind_) KORows_.push_back(static_cast<int>(i));
    KOSelRow_ = 0;
}

TextGrid CatalogEditor::KOList() const {
    TextGrid g(static_cast<int>(KORows_.size()) + 1, 4);
    for (int c = 0; c < 4; ++c) g.at(0, c) = kKOListHeader[c];
    for (std::size_t r = 0; r < KORows_.size(); ++r) {
        const TyKO& k = data_.ko.at(static_cast<std::size_t>(KORows_[r]));
        const int row = static_cast<int>(r) + 1;
        g.at(row, KOColName) = Cp1251ToUtf8(k.Name.str());
        g.at(row, KOColFullName) = Cp1251ToUtf8(k.FullName.str());
        g.at(row, KOColU) = ShortestSingle(static_cast<float>(k.U / 1000.0));
        g.at(row, KOColI) = std::to_string(k.I);
    }
    return g;
}

void CatalogEditor::SelectKORow(int row) {
    if (row >= 1 && row <= static_cast<int>(KORows_.size())) KOSelRow_ = row - 1;
}

TyKO* CatalogEditor::SelectedKO() {
    if (KOSelRow_ < 0 || KOSelRow_ >= static_cast<int>(KORows_.size())) return nullptr;
    return &data_.ko.at(static_cast<std::size_t>(KORows_[static_cast<std::size_t>(KOSelRow_)]));
}

bool CatalogEditor::EditKOListCell(int row, int col, const std::string& text) {
    if (refused()) return false;
    if (!listEditable_ || row < 1 || row > static_cast<int>(KORows_.size())) return false;
    TyKO& k = data_.ko.at(static_cast<std::size_t>(KORows_[static_cast<std::size_t>(row - 1)]));
    switch (col) {
        case KOColName: k.Name.assign(Utf8ToCp1251(text)); return true;
        case KOColFullName: k.FullName.assign(Utf8ToCp1251(text)); return true;
        case KOColU: {
            float kv = static_cast<float>(k.U / 1000.0);
            if (!TextToSingle(text, kv, dlg_)) return false;
            const double volts = std::round(static_cast<double>(kv) * 1000.0);
            if (volts < std::numeric_limits<Integer>::min() || volts > std::numeric_limits<Integer>::max()) {
                dlg_.Message("Напряжение \"" + text + "\" кВ вне допустимого диапазона", "Ошибка", Icon::Error);
                return false;
            }
            k.U = static_cast<Integer>(volts);
            return true;
        }
        case KOColI: {
            int i = k.I;
            if (!TextToInt(text, i, dlg_)) return false;
            k.I = i;
            return true;
        }
        default: return false;
    }
}

TextGrid CatalogEditor::TempGrid() const {
    TextGrid g(3, 14);
    for (int c = 1; c <= 13; ++c) g.at(0, c) = std::to_string(5 * c - 25);
    g.at(1, 0) = kKOTempRowTitle[0];
    g.at(2, 0) = kKOTempRowTitle[1];
    const TyKO* k = const_cast<CatalogEditor*>(this)->SelectedKO();
    if (!k) return g;
    for (int c = 1; c <= 13; ++c) {
        g.at(1, c) = std::to_string(k->DDTN[c]);
        g.at(2, c) = std::to_string(k->ADTN[c]);
    }
    return g;
}

std::string CatalogEditor::EditTempCell(int row, int col, const std::string& text) {
    TyKO* k = SelectedKO();
    if (!k || (row != 1 && row != 2) || col < 1 || col > 13) return text;
    if (refused()) return std::to_string(row == 1 ? k->DDTN[col] : k->ADTN[col]);
    int v = 0;
    const bool ok = ValInt(EntryText(text), v) == 0;
    if (!ok) v = 0;
    (row == 1 ? k->DDTN[col] : k->ADTN[col]) = v;
    return ok ? text : "0";
}

void CatalogEditor::CopyMinus20() {
    if (refused()) return;
    TyKO* k = SelectedKO();
    if (!k) return;
    const Integer v = k->DDTN[1];
    for (int c = 1; c <= 13; ++c) {
        k->DDTN[c] = v;
        k->ADTN[c] = v;
    }
}

void CatalogEditor::AddKO() {
    if (refused()) return;
    TyKO k;
    k.Kind = static_cast<Byte>(kind_);
    data_.ko.push_back(k);
    KORows_.push_back(static_cast<int>(data_.ko.size()) - 1);
    KOSelRow_ = static_cast<int>(KORows_.size()) - 1;
    listEditable_ = true;
}

bool CatalogEditor::DeleteKO() {
    if (refused()) return false;
    if (!SelectedKO()) return false;
    if (dlg_.Ask(kMsgCatDeleteKO, Buttons::YesCancel) != Answer::Yes) return false;
    const int row = KOSelRow_;
    data_.ko.erase(data_.ko.begin() + KORows_[static_cast<std::size_t>(row)]);
    RedrawKOList();
    KOSelRow_ = std::min(row, std::max(0, static_cast<int>(KORows_.size()) - 1));
    return true;
}

bool CatalogEditor::SaveKO() {
    if (refused()) return false;
    try {
        SaveKOCat(KOFile(), data_.ko);
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
    listEditable_ = false;
    return true;
}

void CatalogEditor::SortKO(bool byU, bool up) {
    if (refused()) return;
    SortKOCat(data_.ko, byU, up);
    RedrawKOList();
}

}  // namespace qem
