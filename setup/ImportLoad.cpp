#include "setup/ImportLoad.h"

#include <filesystem>
#include <map>
#include <stdexcept>

#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/Workbook.h"
#include "setup/InitialConditions.h"
#include "setup/ZamerTemp.h"

namespace qem {
namespace {

std::string Trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    return s;
}

// A column of the two-point layout, for the notes.
std::string Column(int col) { return "столбец " + ColumnName(col); }

// Where a failure came from, after its message.
std::string AtRow(const std::string& message, int sheetRow) {
    return message + " (строка " + std::to_string(sheetRow) + ")";
}

std::string SpanText(const TyDataImportExcel& d) {
    return Cp1251ToUtf8(d.Nop1.str()) + " - " + Cp1251ToUtf8(d.Nop2.str());
}

// The fields a row gives its span (the obstacle apart).
void SetSpanFields(TySpan& s, const TyDataImportExcel& d, ImportPoints points) {
    s.Mpr = d.Mpr;
    s.Nop1 = d.Nop1;
    s.Nop2 = d.Nop2;
    s.Pr = d.Pr;
    s.PrBreak = d.PrBreak;
    s.TM = d.TM;
    s.Lpr = d.Lpr;
    s.Hpr1 = d.Hpr1;
    s.Hpr2 = d.Hpr2;
    s.H1 = d.H1;
    s.H2 = d.H2;
    // The ground at the lowest point of the conductor is a route-profile point when its
    // height above sea level was measured (without it the point would lie at sea level).
    if (d.hasHSeaMin) {
        s.Zem[1].ZemL = d.LMin;
        s.Zem[1].ZemH = d.HSeaMin;
    }
    s.M_middle_h = points == ImportPoints::One ? d.HSeaMid : d.HSeaMin;
    s.Tvv = d.TAir;
    s.Vv = d.V;
    s.Iv = d.I;
    s.Alfv = d.Alf;
    s.Tzv = d.Tzv;
    s.RegG = d.RegG;
    s.RegV = d.RegV;
    s.Fi = d.Fi;
    TyZamer& z = s.Zamer[1];
    z.Tzv = d.Tzv;
    z.Time = d.Time;
    z.HMid = points == ImportPoints::One ? d.HMid : 0.0f;
    z.I = d.I;
    z.TPr = d.TCond;
    z.Tv = d.TAir;
    z.V = d.V;
    z.Alf = d.Alf;
    s.Res848 = d.H1;
    s.Res852 = d.H2;
    s.Res860 = d.HSeaMin;
    if (points == ImportPoints::Two) {
        s.HZam[1] = d.HZam1;
        s.HZam[2] = d.HZam2;
        s.LZam[1] = d.LZam1;
        s.LZam[2] = d.LZam2;
        s.HSeaZam[1] = d.HSeaZam1;
        s.HSeaZam[2] = d.HSeaZam2;
    }
}

// A two-point span measured with its heights above sea level: the option that reads the
// measured points as heights above sea level is switched on when every height it uses is
// there (the supports, both points, the lowest point, every crossed object); a span with some
// of them gets a note naming the ones missing. Empty when the span has none.
std::string SeaHeights(TySpan& s, const TyDataImportExcel& d) {
    s.UseSea = 0;
    const bool any = s.H1 != 0 || s.H2 != 0 || s.HSeaZam[1] != 0 || s.HSeaZam[2] != 0;
    if (!any) return "";
    std::vector<std::string> missing;
    auto need = [&](bool given, const std::string& what) {
        if (!given) missing.push_back(what);
    };
    need(s.H1 != 0, "опоры 1 (" + Column(8) + ")");
    need(s.H2 != 0, "опоры 2 (" + Column(9) + ")");
    need(s.HSeaZam[1] != 0, "точки №1 (" + Column(11) + ")");
    need(s.HSeaZam[2] != 0, "точки №2 (" + Column(14) + ")");
    need(s.M_middle_h != 0, "в точке наименьшего габарита (" + Column(18) + ")");
    for (int k = 1; k <= s.NPrep && k <= 10; ++k)
        if (s.Prep[k].Lprep > 0.1f)
            need(s.Prep[k].HSeaPrep != 0, "в месте пересечения объекта " + std::to_string(k) + " (" + Column(24) + ")");
    if (missing.empty()) {
        s.UseSea = 1;
        return "";
    }
    std::string text;
    for (const auto& m : missing) text += (text.empty() ? "" : ", ") + m;
    return "пролёт " + SpanText(d) + " (строка " + std::to_string(d.sheetRow) + "): нет высоты над уровнем моря " +
           text;
}

// Loads the rows, keeping track of the line and span that receive the next row.
class RowLoader {
public:
    RowLoader(Network& net, const ImportTable& t, const ImportChoice& c, const TyWire& wire1)
        : net_(net), table_(t), choice_(c), wire1_(wire1) {}

    // What the user is told after the import.
    std::vector<std::string> Notes() const {
        std::vector<std::string> out;
        std::string seaOn, partial;
        for (const auto& [key, text] : sea_) {
            if (text.empty())
                seaOn += (seaOn.empty() ? "" : ", ") + key.second;
            else
                partial += "\n" + text;
        }
        if (!seaOn.empty())
            out.push_back("В пролётах " + seaOn +
                          " замеры по двум точкам даны с высотами над уровнем моря: для них включено «Учитывать» "
                          "высоту над уровнем моря.");
        if (!partial.empty())
            out.push_back(
                "Высоты над уровнем моря заданы не полностью, пролёты рассчитываются без них (замеры — "
                "от земли у нижней опоры):" +
                partial);
        return out;
    }

    void Run() {
        if (choice_.mode == ImportMode::AppendToLine) {
            if (table_.multi) throw std::invalid_argument("rows of several lines cannot be added to one line");
            net_.Line(net_.CurLine).Uvl = static_cast<Byte>(choice_.uvl);
            line_ = net_.CurLine;
        }
        for (const TyDataImportExcel& d : table_.rows) {
            if (d.separator) {
                // The rows below belong to the next line.
                if (choice_.mode != ImportMode::AppendToLine) line_ = 0;
                prev_ = nullptr;
                continue;
            }
            if (line_ == 0) StartLine(d);
            LoadRow(d);
            prev_ = &d;
        }
    }

private:
    // A new line at the end of the network for the rows from d on.
    void StartLine(const TyDataImportExcel& d) {
        if (net_.NLines() >= kMaxLines) throw ImportError(AtRow(kMsgLinesFull, d.sheetRow));
        TyLine line = NewLine(wire1_, net_.Now());
        line.Spans.clear();
        line.From.assign(Utf8ToCp1251(table_.multi ? d.LineFrom : choice_.from));
        line.To.assign(Utf8ToCp1251(table_.multi ? d.LineTo : choice_.to));
        line.Uvl = static_cast<Byte>(choice_.uvl);
        net_.Lines.push_back(std::move(line));
        line_ = net_.CurLine = net_.NLines();
        prev_ = nullptr;
    }

    void LoadRow(const TyDataImportExcel& d) {
        TyLine& line = net_.Line(line_);
        const bool continues = prev_ && prev_->Nop1.sameText(d.Nop1) && prev_->Nop2.sameText(d.Nop2);
        if (continues) {
            // The row's crossed object goes after the previous row's one, if that had one.
            if (prev_->Lprep != 0) ++slot_;
        } else {
            if (line.NSpans() >= kMaxSpans) throw ImportError(AtRow(kMsgSpansFull, d.sheetRow));
            line.Spans.push_back(NewSpan(wire1_, net_.Now()));
            slot_ = 1;
        }
        TySpan& s = line.Spans.back();
        SetSpanFields(s, d, table_.points);
        if (!continues) s.NPrep = 1;
        if (d.obstacle) {
            if (slot_ > 10)
                throw ImportError("В пролёте № " + SpanText(d) + " больше 10 пересекаемых объектов: строка " +
                                  std::to_string(d.sheetRow) +
                                  " не помещается, исправьте ошибку и попробуйте снова импортировать данные");
            s.Prep[slot_] = TyPrep{d.Lprep, d.Hprep, d.GabPrep, d.HSeaPrep, d.GabZem, d.TPrp};
            s.NPrep = slot_;
        }
        net_.CurSpan[line_] = line.NSpans();
        if (table_.points == ImportPoints::Two) {
            const std::string note = SeaHeights(s, d);
            if (note.empty() && s.UseSea == 0)
                sea_.erase({{line_, line.NSpans()}, SpanText(d)});
            else
                sea_[{{line_, line.NSpans()}, SpanText(d)}] = note;
        }
        ImportReferenceState(s, table_.points, d.sheetRow);
    }

    Network& net_;
    const ImportTable& table_;
    const ImportChoice& choice_;
    const TyWire& wire1_;
    int line_ = 0;  // line receiving the rows; 0: the next data row starts one
    int slot_ = 1;  // obstacle slot of the current span
    const TyDataImportExcel* prev_ = nullptr;
    // Two-point spans with heights above sea level, in load order: their note ("" when the
    // option was switched on).
    std::map<std::pair<std::pair<int, int>, std::string>, std::string> sea_;
};

}  // namespace

std::string ImportNewFilePath(const std::string& folder, const std::string& name) {
    std::string n = name;
    while (!n.empty() && n.back() == ' ') n.pop_back();
    while (!n.empty() && n.front() == ' ') n.erase(0, 1);
    if (n.empty()) throw ImportError("Введите название нового файла");
    if (n.find_first_of("/\\") != std::string::npos || n == "." || n == "..")
        throw ImportError("Название нового файла не может содержать «/» и «\\»");
    return PathToUtf8(PathFromUtf8(folder) / PathFromUtf8(n + kNetworkExt));
}

void ImportReferenceState(TySpan& span, ImportPoints points, int sheetRow) {
    try {
        if (points == ImportPoints::One) {
            ZamerSag(span, 1);
            ZamerConductorTemp(span, 1);
            ComputeInitialConditions(span, ZamerMode::OnePoint, span.UseSea == 1);
        } else {
            const std::string msg = CheckZamerData(span, -1);
            if (!msg.empty()) throw MeasurementError(msg);
            ZamerSag(span, 1);
            ComputeInitialConditions(span, ZamerMode::TwoPoints, span.UseSea == 1);
        }
    } catch (const MeasurementError& e) {
        throw ImportError(AtRow(e.what(), sheetRow));
    } catch (const CalcError& e) {
        throw ImportError(AtRow(std::string("Произошла ошибка при расчёте: ") + e.what(), sheetRow));
    }
    // The calculations stop at a stress below 0.001: such data are no reference state.
    if (!(span.Si >= 0.001f)) throw ImportError(AtRow(NoPositiveStressText(span), sheetRow));
}

std::vector<std::string> LoadImportRows(Network& net, const ImportTable& table, const ImportChoice& choice,
                                        const TyWire& wire1) {
    RowLoader loader(net, table, choice, wire1);
    loader.Run();
    return loader.Notes();
}

bool ConfirmImport(Network& net, const ImportTable& table, const ImportChoice& choice, const std::string& newFile,
                   const TyWire& wire1, Dialogs& dialogs) {
    auto refuse = [&](const std::string& text) {
        dialogs.Message(text, "", Icon::Warning);
        return false;
    };
    if (choice.mode == ImportMode::AppendToNetwork && !table.multi) {
        ShortStr<25> from, to;
        from.assign(Utf8ToCp1251(choice.from));
        to.assign(Utf8ToCp1251(choice.to));
        for (const TyLine& l : net.Lines)
            if (l.From.sameText(from) && l.To.sameText(to)) return refuse(kMsgLineExists);
    }

    // A single line takes its names from the choice: without them it had no name in the line
    // list and no usable name for its workbooks.
    if (choice.mode != ImportMode::AppendToLine && !table.multi && Trimmed(choice.from).empty() &&
        Trimmed(choice.to).empty())
        return refuse(kMsgNoLineNames);

    Network work;
    std::string file;
    if (choice.mode == ImportMode::NewNetwork) {
        if (newFile.empty()) return refuse("Введите название нового файла");
        std::error_code ec;
        if (std::filesystem::exists(PathFromUtf8(newFile), ec) &&
            dialogs.Ask("Файл " + Quoted(newFile) + " уже существует. Заменить его новой сетью?", Buttons::YesNo) !=
                Answer::Yes)
            return false;
        work.Now = net.Now;
        work.UsePUE6 = net.UsePUE6;
        work.UsePUE7 = net.UsePUE7;
        file = newFile;
    } else {
        if (net.NetFileName.empty())
            return refuse("Сеть не связана с файлом: выберите «Создать новую сеть ВЛ(новый файл)»");
        if (choice.mode == ImportMode::AppendToLine && (net.CurLine < 1 || net.CurLine > net.NLines()))
            return refuse("Не выбрана линия, к которой добавить пролёты");
        work = net;
        file = net.NetFileName;
    }

    std::vector<std::string> notes;
    try {
        notes = LoadImportRows(work, table, choice, wire1);
        WriteNetwork(file, work.Lines);
    } catch (const ImportError& e) {
        return refuse(e.what());
    } catch (const std::exception& e) {
        dialogs.Message(e.what(), "", Icon::Error);
        return false;
    }
    net.Lines = std::move(work.Lines);
    net.CurLine = work.CurLine;
    net.CurSpan = work.CurSpan;
    net.NetFileName = file;
    if (!notes.empty()) {
        std::string text;
        for (const auto& n : notes) text += (text.empty() ? "" : "\n\n") + n;
        dialogs.Message(text, "", Icon::Information);
    }
    return true;
}

}  // namespace qem
