#pragma once
// The catalog window's work on the three catalogs: the conductor grid with its edits, the
// clearance norms grids and the terminal-equipment list with its temperature grid. Edits go
// into the catalogs in memory at once; the save buttons write the catalog files.
#include <filesystem>
#include <string>
#include <vector>

#include "model/AppData.h"
#include "model/KOCat.h"
#include "model/Network.h"
#include "model/NormsFile.h"
#include "model/TextGrid.h"
#include "platform/CalcRun.h"
#include "platform/Dialogs.h"

namespace qem {

// Messages of the window.
inline constexpr const char* kMsgCatDeleteTitle = "Удаление";
inline constexpr const char* kMsgCatDeleteWire = "Удалить выбранную запись?";
inline constexpr const char* kMsgCatDeleteKO = "Вы действительно хотите удалить выбранный элемент";
inline constexpr const char* kCatKOHint = "Введите значение в ячейку - 20 град/ДДТН и нажмите кнопку <Копировать> ";
inline constexpr float kNewWireAlfaR = 0.004f;

extern const char* const kKOListHeader[4];    // "Тип", "Полное наименование", "U ,кВ", "I ,A"
extern const char* const kKOTempRowTitle[2];  // "ДДТН", "AДТН" (a Latin A)

// Columns of the terminal-equipment list.
enum KOListColumn { KOColName = 0, KOColFullName = 1, KOColU = 2, KOColI = 3 };

class CatalogEditor {
public:
    CatalogEditor(AppData& data, Network& net, const CalcRun& calc, Dialogs& dialogs);

    // Opening: the conductor grid refilled (read-only), the norms grids, the equipment list.
    void Activate();
    // Every later activation: the grids show the catalogs in memory again (norms of the rules
    // in force), keeping the edit modes, the selected equipment row and a conductor table
    // imported but not yet saved (it lives in the grid only).
    void Refresh();

    // ---- conductor page
    const TextGrid& ConductorGrid() const { return conductors_; }
    bool ConductorsEditable() const { return conductorsEditable_; }
    // "Изменить".
    void EditConductors() { conductorsEditable_ = true; }
    // A cell text stored at once: column 0 into Name (cut to 30 characters), the others in
    // the order shown through TextToSingle. False (cell and catalog unchanged) when the text
    // cannot be read, the grid is read-only or the cell is outside it.
    bool EditConductorCell(int row, int col, const std::string& text);
    // "Добавить": a new last entry (empty Name, AlfaR 0.004, numbers 0); the grid refilled
    // and editable. Returns its row, or 0 when the catalog already holds 255 entries.
    int AddConductor();
    // "Удалить": after the question, grid row `row` is removed and SaveCatalogs runs. When the
    // save fails its message is shown and the grid keeps the row.
    bool DeleteConductor(int row);
    // "Сохранить": SaveCatalogs; the conductor and norms grids become read-only. A failure is
    // shown and nothing changes.
    bool Save();
    // "Сортировать по Типу": up ascending, down descending by Name; the grid refilled.
    void SortConductors(bool up);
    // "Импорт из glld.txt" / "Экспорт в glld.txt" of the grid; failures are shown.
    bool ImportConductors(const std::filesystem::path& file);
    bool ExportConductors(const std::filesystem::path& file);

    // ---- norms page
    TextGrid NormsGridOf(NormsPage page) const;
    bool NormsEditable() const { return normsEditable_; }
    void EditNorms() { normsEditable_ = true; }
    bool ShowBelow110() const { return showBelow110_; }
    void SetShowBelow110(bool on) { showBelow110_ = on; }
    // A norms cell through TextToSingle; false when read-only, a fixed cell or unreadable.
    bool EditNormsCell(NormsPage page, int row, int col, const std::string& text);
    // "ПУЭ 6"/"ПУЭ 7": SaveCatalogs with the rules in force, then the switch and reloading.
    // A failed save is shown and the rules stay.
    bool SwitchPue(bool usePue6);
    bool UsePue6() const { return data_.usePue6; }

    // ---- terminal-equipment page
    int Kind() const { return kind_; }
    // Kind drop-down (0..3): the list is redrawn.
    void SetKind(int kind);
    // The list redrawn from the catalog; KOSelRow := 0.
    void RedrawKOList();
    TextGrid KOList() const;
    const std::vector<int>& KORows() const { return KORows_; }
    int SelRow() const { return KOSelRow_; }
    // Selecting list row `row` (from 1).
    void SelectKORow(int row);
    // The catalog entry of the selected row; nullptr when the list has no rows.
    TyKO* SelectedKO();
    bool ListEditable() const { return listEditable_; }
    void EditKOList() { listEditable_ = true; }
    // A list cell typed by the user: Name, FullName, U in kV (stored in volts) or I. False
    // (nothing stored) when read-only or the text cannot be read.
    bool EditKOListCell(int row, int col, const std::string& text);
    // Temperature grid of the selected entry: header row "", "-20" .. "40"; rows "ДДТН", "AДТН".
    TextGrid TempGrid() const;
    // A temperature cell (row 1 DDTN, row 2 ADTN, column c 1..13) read as an integer; a text
    // that is not one stores 0. Returns the text the cell then shows.
    std::string EditTempCell(int row, int col, const std::string& text);
    // "Копировать": all 26 values of the selected entry := its DDTN[1].
    void CopyMinus20();
    // "Добавить": a new entry of the selected kind, its row current; the list editable.
    void AddKO();
    // "Удалить": after the confirmation the entry of the selected row leaves the catalog.
    bool DeleteKO();
    // "Сохранить": the list read-only, SaveKOCat. A failure is shown.
    bool SaveKO();
    // "Сортировать по U"/"по I": the whole catalog, up descending, down ascending; stable.
    void SortKO(bool byU, bool up);

    std::filesystem::path KOFile() const;

private:
    AppData& data_;
    Network& net_;  // its edition of the rules follows the switch
    const CalcRun& calc_;
    Dialogs& dlg_;
    TextGrid conductors_;
    bool conductorsEditable_ = false;
    bool importPending_ = false;  // the conductor grid holds an import not yet saved
    bool normsEditable_ = false;
    bool showBelow110_ = false;
    int kind_ = 0;
    std::vector<int> KORows_;
    int KOSelRow_ = 0;
    bool listEditable_ = false;

    void showError(const std::exception& e);
    // Every change of the catalogs, the norms or their files is refused while a calculation
    // reads them (with the message why).
    bool refused();
};

// Stable bubble sort of the whole terminal-equipment catalog by U or I; descending when up.
void SortKOCat(KOCat& cat, bool byU, bool descending);

}  // namespace qem
