// The examples of docs/ and what each needs: its device, its stand-ins, the files it finds, and
// what it must leave behind (boxes, rows, files). Included once, by docs_examples_e2e.cpp.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace {

enum class Device { None, Pen, SilentPen };

struct Box {
    std::string title;
    std::string text;
};

// Every column that some method writes into Murello; the rows are read without the dates
// (today's, in most methods).
const char kMurelloRows[] =
    "SELECT quote(Codart)||','||quote([id sottoOrd])||','||quote(IdLotto)||','||"
    "quote(\"Quantit\xC3\xA0\") FROM Murello ORDER BY rowid";

// What an example needs and what it must leave behind, beyond its printed output.
struct Example {
    std::string name;
    Device device = Device::None;
    std::vector<std::string> pen;                  // the pen's records on COM1
    std::vector<Box> boxes;                        // what the user sees, in order
    std::string database = "C:\\App\\letture.db";  // a SQLite file made with the tables
    std::string rowsQuery = kMurelloRows;
    std::vector<std::string> rows;  // what rowsQuery reads from C:\App\letture.db afterwards
    // Stand-ins of the testing folder: a .dll is registered, anything else goes beside the
    // component. Missing ones (their branch has not landed): the example is skipped.
    std::vector<std::string> needs;
    std::vector<std::pair<std::string, std::string>> filesBefore;  // Windows path, content
    std::vector<std::pair<std::string, std::string>> filesAfter;   // Windows path, part of it
    std::vector<std::pair<std::string, std::string>> listings;     // folder, regex of its names
    std::vector<std::string> env;
    std::string waitsFor;  // what the skip names
    // Set for an example that has not yet run against its member on main: it is skipped even
    // when its stand-ins are there (they land before the member is carried out in every build).
    bool onMain = true;

    Example With(Device d, std::vector<std::string> records = {}) && {
        device = d;
        pen = std::move(records);
        return std::move(*this);
    }
    Example Boxes(std::vector<Box> b) && {
        boxes = std::move(b);
        return std::move(*this);
    }
    Example Rows(std::vector<std::string> r, std::string query = kMurelloRows) && {
        rows = std::move(r);
        rowsQuery = std::move(query);
        return std::move(*this);
    }
    Example Needs(std::string why, std::vector<std::string> binaries) && {
        waitsFor = std::move(why);
        needs = std::move(binaries);
        return std::move(*this);
    }
    Example Before(std::string path, std::string content) && {
        filesBefore.emplace_back(std::move(path), std::move(content));
        return std::move(*this);
    }
    Example After(std::string path, std::string part) && {
        filesAfter.emplace_back(std::move(path), std::move(part));
        return std::move(*this);
    }
    Example Listing(std::string folder, std::string names) && {
        listings.emplace_back(std::move(folder), std::move(names));
        return std::move(*this);
    }
    Example NotOnMainYet() && {
        onMain = false;
        return std::move(*this);
    }
    Example Database(std::string path) && {
        database = std::move(path);
        return std::move(*this);
    }
    Example Env(std::string entry) && {
        env.push_back(std::move(entry));
        return std::move(*this);
    }
};

void PrintTo(const Example& example, std::ostream* out) { *out << example.name; }

Example Named(std::string name) {
    Example example;
    example.name = std::move(name);
    return example;
}

const std::vector<std::string> kThreeReadings = {"A1;12;7;3", "B-22;1;2;0.5", "C3;100;200;12,25",
                                                 "EMPTY"};
const std::vector<std::string> kThreeRows = {"'A1',12,7,3.0", "'B-22',1,2,0.5",
                                             "'C3',100,200,12.25"};

// The stand-ins, as their branches describe them.
const char kTerminal[] = "the terminal control stand-in (standins/vxterm) and the imports";
const char kInfrared[] = "the infrared link stand-in (standins/irlib) and Scarica1";
const char kProgram[] = "the reader program stand-in (standins/ir_read) and Scarica2";
const char kDao[] = "the DAO engine stand-in (standins/dao)";
const std::vector<std::string> kDaoEngine = {"dao_standin.dll"};
const std::vector<std::string> kVxTerm = {"vxterm_standin.dll"};
const std::vector<std::string> kIrLib = {"IrLib.dll"};
const std::vector<std::string> kIrRead = {"IR_Read.exe"};
const char kVxTermFolder[] = "VXTERM_STANDIN_DIR=C:\\vxterm";
const char kIrLibScript[] = "IRLIB_SCRIPT=C:\\App\\irlib.txt";
const char kInstallFolder[] = "C:\\Programmi\\Lanvik";

const std::vector<Example> kExamples = {
    Named("late-binding"),
    Named("early-binding"),
    Named("missing-member"),
    Named("raised-error")
        .Needs(kProgram, kIrRead)
        .Before(std::string(kInstallFolder) + "\\IR_Read.result", "A12;5\r\n"),
    Named("scarica").With(Device::Pen, kThreeReadings).Rows(kThreeRows),
    // The stand-in engine keeps an Access file's rows in SQLite.
    Named("scarica-access")
        .With(Device::Pen, kThreeReadings)
        .Needs(kDao, kDaoEngine)
        .Database("C:\\App\\App.mdb")
        .Rows(kThreeRows),
    Named("scarica-timeout")
        .With(Device::SilentPen)
        .Boxes({{"TimeOut Error",
                 "Controllare il collegamento con la penna ottica e le impostazioni della "
                 "porta seriale."}}),
    Named("scarica-no-database")
        .With(Device::Pen)
        .Boxes({{"Errore n. 3024", "Could not find file 'C:\\App\\manca.db'."}}),
    Named("scarica-no-port").Boxes({{"Errore n. 8002", "Invalid Port Number"}}),
    Named("scarica-rimesse-of")
        .Needs(kTerminal, kVxTerm)
        .Env(kVxTermFolder)
        .Before("C:\\vxterm\\file1.txt", "$ROF;12;3;DDT45;20261206\r\n")
        .Rows({"7,12,3.0,'DDT45'"},
              "SELECT quote(IdUt)||','||quote(IdSottoORd)||','||quote(\"Qt\xC3\xA0\")||','||"
              "quote(NDoc) FROM Murello_RimesseOF")
        .Listing("C:\\_Letture", R"(Importato_Rimesse_OF_\d{8}-\d{6}\.tmp)"),
    Named("scarica1")
        .Needs(kInfrared, kIrLib)

        .Env(kIrLibScript)
        .Before("C:\\App\\irlib.txt",
                "open 1\r\nanswer 0 ACK\r\nanswer 0 #ART42$17;2;20261206;1;\r\nanswer 0 EOF\r\n")
        .Rows({"'#ART42',NULL,17,2.0"}),
    Named("scarica2")
        .Needs(kProgram, kIrRead)
        .Before(std::string(kInstallFolder) + "\\IR_Read.result", "A12;5\r\n")
        .Rows({"'A12',NULL,0,5.0"})
        .After(std::string(kInstallFolder) + "\\IR_Read.calls",
               "C:\\App\\letture.txt,2,3,1,1,1,0,0,0,0,10"),
    Named("upload1")
        .Needs(kTerminal, kVxTerm)
        .Env(kVxTermFolder)
        .Before("C:\\vxterm\\script.txt", "")
        .Before("C:\\_Letture\\file_up.tmp", "utenti e giacenze\r\n")
        .After("C:\\vxterm\\sent.txt", "utenti e giacenze\r\n"),
    Named("m113-scarica4-error")
        .Needs(kTerminal, kVxTerm)
        .Env(kVxTermFolder)
        .Before("C:\\vxterm\\file1.txt", "ART42$;2;20261206;1\r\n"),
    Named("m111-scarica").With(Device::Pen, kThreeReadings).Rows(kThreeRows),
    Named("m110-scarica1-code")
        .Needs(kInfrared, kIrLib)

        .Env(kIrLibScript)
        .Before("C:\\App\\irlib.txt",
                "open 1\r\nanswer 0 ACK\r\nanswer 0 #ART42;2;20261206;1;\r\n"),
};

}  // namespace
