// qemtestnet: network files for the command-line checks of the spreadsheet exports, made from
// the sample network of a data folder with the program's own reader and writer.
//
//   qemtestnet DATA_DIR OUT_DIR
//
// OUT_DIR/three.qem   the sample's three lines, with line 1's current transformer at end 1
//                     holding 500000 (no limit) in its ДДТН at -5 C and its АДТН at +40 C, and a
//                     cable insert of 520.5 / 610 A; line 2 with an impossible mid-span height
//                     measured in span 3, so its conductor cannot be rated
// OUT_DIR/escape.qem  the sample with line 1 running from "../ПС Южная", a name whose workbook
//                     would leave the data folder
#include <filesystem>
#include <iostream>

#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/FileSystem.h"
#include "setup/InitialConditions.h"

using namespace qem;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: qemtestnet DATA_DIR OUT_DIR\n";
        return 2;
    }
    try {
        const std::filesystem::path data = PathFromUtf8(argv[1]), out = PathFromUtf8(argv[2]);
        const std::vector<TyLine> sample = ReadNetwork(PathToUtf8(data / PathFromUtf8("Пример сети.qem")));
        if (sample.size() < 3) throw std::runtime_error("the sample network has fewer than three lines");

        std::vector<TyLine> three = sample;
        TyLine& l1 = three[0];
        l1.KOCT1.DDTN[4] = 500000;
        l1.KOCT1.ADTN[13] = 500000;
        l1.CabDDTN = 520.5f;
        l1.CabADTN = 610;
        TySpan& s3 = three[1].Span(3);
        s3.Zamer[LatestZamer(s3)].HMid = 1000;
        s3.UseSea = 0;
        WriteNetwork(PathToUtf8(out / "three.qem"), three);

        std::vector<TyLine> escape = sample;
        escape[0].From.assign(Utf8ToCp1251("../ПС Южная"));
        WriteNetwork(PathToUtf8(out / "escape.qem"), escape);
    } catch (const std::exception& e) {
        std::cerr << "qemtestnet: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
