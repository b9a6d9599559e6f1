#pragma once
// Terminal equipment of a line: at each end a switch, a disconnector, a line trap, a current
// transformer (copies of terminal-equipment catalog entries), a busbar connection and a bus
// (copies of conductor catalog entries, with their wire counts), and the cable insert given
// by its two allowable currents. LineEquipment is what the window "Концевое оборудование"
// does to the current line; CopyEquipment/PasteEquipment copy a whole set between lines.
#include <optional>
#include <string>
#include <vector>

#include "model/Catalog.h"
#include "model/KOCat.h"
#include "model/Network.h"
#include "model/QEMcom.h"
#include "model/TextGrid.h"
#include "platform/Dialogs.h"

namespace qem {

// Group boxes of the window, in their order: the two conductor groups, then the four kinds.
enum class KOGroup { Busbar, Bus, Switch, Disc, Trap, CT };
inline constexpr int kKOGroups = 6;
extern const char* const kKOGroupCaption[kKOGroups];  // "Ошиновка", "Шина", "Выключатель", ...
inline bool IsConductorGroup(KOGroup g) { return g == KOGroup::Busbar || g == KOGroup::Bus; }
// Equipment kind (0..3) of an equipment group.
inline int GroupKind(KOGroup g) { return static_cast<int>(g) - 2; }
inline KOGroup KindGroup(int kind) { return static_cast<KOGroup>(kind + 2); }

// Messages of the window.
inline constexpr const char* kMsgKODeleteSlot = "Вы действительно хотите удалить выбранный элемент?";
inline constexpr const char* kMsgKOResetCable = "Вы действительно хотите сбросить ДДТН/АДТН кабеля?";
inline constexpr const char* kMsgKOClearAll = "Вы действительно хотите очистить КО?";
inline constexpr const char* kMsgKOUndo = "Вы действительно хотите отменить изменения?";
inline constexpr const char* kMsgKOConfirmSave = "Подтверждение сохранения";
inline constexpr int kMinBusWires = 1;
inline constexpr int kMaxBusWires = 10;

// Slots of a line, end 1 (From) or 2 (To); any other end reads as 2.
TyKO& KOSlot(TyLine& line, int kind, int end);
const TyKO& KOSlot(const TyLine& line, int kind, int end);
// Busbar connection (Bus1/Bus2) or bus (Bus3/Bus4) of an end, and its wire count.
TyWire& BusSlot(TyLine& line, KOGroup g, int end);
const TyWire& BusSlot(const TyLine& line, KOGroup g, int end);
Integer& BusCount(TyLine& line, KOGroup g, int end);

// Stable bubble sort of the whole catalog ascending by rated current I.
void SortKOCatByI(KOCat& cat);

// Drop-down item of an entry: I in decimal, a blank and FullName (UTF-8).
std::string KOItemText(const TyKO& ko);
// Catalog indexes of the entries of a kind, in catalog order (the drop-down's items).
std::vector<int> KOKindIndexes(const KOCat& cat, int kind);
// Drop-down items of a group: conductors: every display text (item k - 1 = entry k);
// equipment: KOItemText of every entry of the kind.
std::vector<std::string> GroupItems(const KOCat& ko, const WireCatalog& wires, KOGroup g);
// The item that shows the slot of a row (1 or 2); -1 when none.
int SlotItem(const TyLine& line, const KOCat& ko, const WireCatalog& wires, KOGroup g, int row);

// Index k (1..NWires) of the first conductor whose display text equals that of w; 0 when none.
int FindWireByText(const WireCatalog& cat, const TyWire& w);

// The grid of a group: header row, row 1 for end 1 (From), row 2 for end 2 (To).
extern const char* const kKOGridHeader[5];
extern const char* const kBusGridHeader[12];
TextGrid GroupGrid(const TyLine& line, const KOCat& ko, const WireCatalog& wires, KOGroup g);

// The window's work on one line of the network: the line at position `pos` while it is open.
class LineEquipment {
public:
    // Opening: sorts the catalog by I, KOBackup := the line, KOModified := false.
    LineEquipment(Network& net, int pos, KOCat& ko, const WireCatalog& wires, Dialogs& dialogs);

    TyLine& Line() { return net_.Line(pos_); }
    const TyLine& Line() const { return net_.Line(pos_); }
    int Position() const { return pos_; }
    // "Концевое оборудование: " + From + " - " + To.
    std::string Caption() const;
    bool Modified() const { return KOModified; }
    const TyLine& Backup() const { return KOBackup; }

    TextGrid Grid(KOGroup g) const { return GroupGrid(Line(), ko_, wires_, g); }
    std::vector<std::string> Items(KOGroup g) const { return GroupItems(ko_, wires_, g); }
    int ItemOfRow(KOGroup g, int row) const { return SlotItem(Line(), ko_, wires_, g, row); }

    // Choosing drop-down item `item` (from 0) with grid row `row` current: the slot of end 1
    // for row 1, of end 2 otherwise, := a copy of the entry. False for an item out of range.
    bool Choose(KOGroup g, int row, int item);
    // Double-click: after the confirmation the slot of the row becomes the empty entry.
    bool DeleteSlot(KOGroup g, int row);
    // Wire count of a conductor group's end, kept within 1..10.
    void SetWireCount(KOGroup g, int end, int count);
    // "ДДТН кабеля" / "АДТН кабеля" through TextToSingle.
    bool SetCable(bool ddtn, const std::string& text);
    // "Сброить": after the confirmation both cable values become 0.
    bool ResetCable();
    // "Очистить всё КО": after the confirmation the names of the twelve slots become empty.
    bool ClearAll();
    // "Отменить изменения": after the confirmation the line := KOBackup.
    bool Undo();
    // "Сохранить": KOBackup := the line (nothing is written).
    void Save();
    // Closing: with changes, "Подтверждение сохранения"; on Cancel the line := KOBackup.
    void Close();

private:
    Network& net_;
    int pos_;
    KOCat& ko_;
    const WireCatalog& wires_;
    Dialogs& dlg_;
    TyLine KOBackup;
    bool KOModified = false;
};

// What the line-list buttons "Копировать"/"Вставить" remember: a line position or none.
struct EquipmentClipboard {
    std::optional<int> from;
};
// "Копировать": remembers the position of the line list's current row.
void CopyEquipment(EquipmentClipboard& clip, int pos);
// "Вставить": CabDDTN, CabADTN, Bus1..Bus4, NBus1..NBus4 and the eight equipment slots of the
// line now at the remembered position into the line at `pos`. Nothing happens (false) when no
// position is remembered, when the remembered position lies outside the network, or when
// `pos` does.
bool PasteEquipment(Network& net, const EquipmentClipboard& clip, int pos);

}  // namespace qem
