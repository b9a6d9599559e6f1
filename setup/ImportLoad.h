#pragma once
// Turning the rows of a crews' workbook into lines and spans of the network ("Подтвердить" of
// the import windows): a new network, a new line appended to the open one, or more spans for
// the selected line; every span with the fields of its row, its obstacles, its measurement
// and its reference state derived from the measurement, as the line calculation derives it.
//
// An import happens whole or not at all: the rows are loaded into a copy of the network, the
// file is written, and only then does the copy take the place of the network in memory. A row
// that cannot be loaded (a span whose measured data give no reference state, an eleventh
// crossed object of one span, a full line or network) leaves the network in memory and on
// disk as it was.
#include <string>
#include <vector>

#include "model/Network.h"
#include "platform/Dialogs.h"
#include "setup/ImportSheet.h"

namespace qem {

enum class ImportMode {
    NewNetwork,       // "Создать новую сеть ВЛ(новый файл)"
    AppendToNetwork,  // "Добавить к существующей сети ВЛ"
    AppendToLine,     // "Добавить к выбранной линии"
};

inline constexpr const char* kMsgLineExists = "Линия с таким началом и концом уже существует";
inline constexpr const char* kMsgImportDone = "Созданна и загруженна новая сеть ";
inline constexpr const char* kMsgNoLineNames =
    "Введите начало и конец линии: по ним линия названа в списке линий и в именах книг выгрузки";
inline constexpr int kDefaultImportVoltage = 4;  // "110"

// What the "Новая ВЛ" group of the window says.
struct ImportChoice {
    ImportMode mode = ImportMode::NewNetwork;
    int uvl = kDefaultImportVoltage;  // "Напряжение": voltage class 0..7 of the lines loaded into
    std::string from, to;             // "начало", "конец" (UTF-8) of a single line
};

// The file of a new network: folder + name + ".qem". A name that is empty or holds a folder
// separator throws ImportError.
std::string ImportNewFilePath(const std::string& folder, const std::string& name);

// Loads the rows into net as the choice says: new lines (with AppendToLine the current line)
// receive one span per row, a row with the support numbers of the row before it continues
// that span (its crossed object in the next slot); each span gets its reference state. A
// two-point span whose row gives every height above sea level the sea-level option reads gets
// the option on (UseSea); one that gives some of them is named in a note. The current line and
// span end on the last one loaded. Returns the notes for the user. Throws ImportError naming
// the span and the sheet row that cannot be loaded; net is then left part-way and must be
// thrown away.
std::vector<std::string> LoadImportRows(Network& net, const ImportTable& table, const ImportChoice& choice,
                                        const TyWire& wire1);

// The reference state of a span loaded from a row: one point: the sag and the conductor
// temperature of measurement 1, then the stress; two points: the check of the two measured
// points, the sag, then the stress. Data that give no stress above 0 throw ImportError with
// the message of the check and the sheet row.
void ImportReferenceState(TySpan& span, ImportPoints points, int sheetRow);

// "Подтвердить": checks the choice (a single new line without "начало" and "конец" is refused
// with kMsgNoLineNames; a single line appended under the names of an existing line is refused
// with "Линия с таким началом и концом уже существует"; a new network's file that exists
// already is replaced only when the user agrees), loads the rows into a copy of the network,
// writes the file (newFile for a new network, else the network's own file), makes the copy the
// network and shows the notes of the loading. Every refusal and failure is shown through the
// dialogs and leaves net and the files as they were. True when the network was imported and
// saved.
bool ConfirmImport(Network& net, const ImportTable& table, const ImportChoice& choice, const std::string& newFile,
                   const TyWire& wire1, Dialogs& dialogs);

}  // namespace qem
