// The load handlers of ScaricaVX and CaricaVX in both builds, against in-memory files, boxes and
// a scripted terminal: which calls reach the control with which arguments, which files exist
// afterwards, what the user sees and what the caller gets.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/reader_object.h"
#include "core/terminal_forms.h"
#include "platform/files/memory_file_system.h"
#include "platform/terminal/memory_terminal_control.h"
#include "platform/ui/memory_user_interface.h"

namespace reader {
namespace {

const std::wstring kDestination = L"C:\\_Letture\\Rimesse_OF_20261206-143005.tmp";
const std::string kTerminalFile = "ART1;3;7;2\r\n";

struct FormCase {
    const char* name;
    bool upload;   // CaricaVX, else ScaricaVX
    bool reduced;  // the Murello113 build
    std::function<void(MemoryFileSystem&, MemoryTerminal&)> given;
    std::vector<std::wstring> calls;
    bool folderMade;  // the form's folder (NomeCartella, or C:\_Letture for CaricaVX) exists after
    std::map<std::wstring, std::string> filesAfter;
    std::vector<std::pair<std::wstring, std::wstring>> boxes;  // text, title
    std::optional<RaisedError> raised;
    std::wstring folder = L"C:\\_Letture";
    std::int16_t numero = 1;
};

const std::wstring kReceive = L"RiceviFile \"" + kDestination + L"\" byref 1";
const std::wstring kSend = L"InviaFile byref \"C:\\_Letture\\file_up.tmp\"";

void NoSetUp(MemoryFileSystem&, MemoryTerminal&) {}
void TerminalHasFile1(MemoryFileSystem&, MemoryTerminal& t) { t.terminalFiles[1] = kTerminalFile; }

const FormCase kCases[] = {
    {"ScaricaVX creates the missing folder and receives terminal file 1",
     false,
     false,
     TerminalHasFile1,
     {L"create", L"InErrore", kReceive, L"release"},
     true,
     {{kDestination, kTerminalFile}},
     {},
     {}},
    {"ScaricaVX deletes an existing destination first: a transfer that gives nothing leaves "
     "nothing",
     false,
     false,
     [](MemoryFileSystem& f, MemoryTerminal&) { f.files[kDestination] = "OLD"; },
     {L"create", L"InErrore", kReceive, L"release"},
     true,
     {},
     {},
     {}},
    {"ScaricaVX with InErrore only calls Chiudi, silently",
     false,
     false,
     [](MemoryFileSystem&, MemoryTerminal& t) {
         t.inErrore = true;
         t.terminalFiles[1] = kTerminalFile;
     },
     {L"create", L"InErrore", L"Chiudi", L"release"},
     true,
     {},
     {},
     {}},
    {"ScaricaVX with a missing parent folder shows 76 and receives nothing",
     false,
     false,
     TerminalHasFile1,
     {L"create", L"release"},
     false,
     {},
     {{L"Path not found", L"76"}},
     {},
     L"C:\\Manca\\_Letture"},
    {"ScaricaVX with a read-only destination shows 70 and keeps the file",
     false,
     false,
     [](MemoryFileSystem& f, MemoryTerminal& t) {
         f.files[kDestination] = "OLD";
         f.readOnly.insert(kDestination);
         t.terminalFiles[1] = kTerminalFile;
     },
     {L"create", L"release"},
     true,
     {{kDestination, "OLD"}},
     {{L"Permission denied", L"70"}},
     {}},
    {"ScaricaVX without a registered control shows 429",
     false,
     false,
     [](MemoryFileSystem&, MemoryTerminal& t) { t.registered = false; },
     {},
     false,
     {},
     {{L"ActiveX component can't create object", L"429"}},
     {}},
    {"ScaricaVX shows the control's own error with its number",
     false,
     false,
     [](MemoryFileSystem&, MemoryTerminal& t) {
         t.failures.insert_or_assign(L"RiceviFile", RaisedError{1234, L"Terminale non collegato"});
     },
     {L"create", L"InErrore", kReceive, L"release"},
     true,
     {},
     {{L"Terminale non collegato", L"1234"}},
     {}},
    {"ScaricaVX passes the terminal file number it was given",
     false,
     false,
     [](MemoryFileSystem&, MemoryTerminal& t) { t.terminalFiles[2] = "R$1;5\r\n"; },
     {L"create", L"InErrore", L"RiceviFile \"" + kDestination + L"\" byref 2", L"release"},
     true,
     {{kDestination, "R$1;5\r\n"}},
     {},
     {},
     L"C:\\_Letture",
     2},
    {"Murello113's ScaricaVX receives into C:\\TEMPFOX.TMP whatever the folder",
     false,
     true,
     TerminalHasFile1,
     {L"create", L"InErrore", L"RiceviFile \"C:\\TEMPFOX.TMP\" byref 1", L"release"},
     false,
     {{L"C:\\TEMPFOX.TMP", kTerminalFile}},
     {},
     {},
     L"C:\\Manca\\_Letture"},
    {"Murello113's ScaricaVX leaves an existing C:\\TEMPFOX.TMP to its callers",
     false,
     true,
     [](MemoryFileSystem& f, MemoryTerminal&) { f.files[L"C:\\TEMPFOX.TMP"] = "KO"; },
     {L"create", L"InErrore", L"RiceviFile \"C:\\TEMPFOX.TMP\" byref 1", L"release"},
     false,
     {{L"C:\\TEMPFOX.TMP", "KO"}},
     {},
     {}},
    {"Murello113's ScaricaVX raises the control's error to the caller",
     false,
     true,
     [](MemoryFileSystem&, MemoryTerminal& t) {
         t.failures.insert_or_assign(L"RiceviFile", RaisedError{1234, L"Terminale non collegato"});
     },
     {L"create", L"InErrore", L"RiceviFile \"C:\\TEMPFOX.TMP\" byref 1", L"release"},
     false,
     {},
     {},
     RaisedError{1234, L"Terminale non collegato"}},
    {"Murello113's ScaricaVX raises 429 without a registered control",
     false,
     true,
     [](MemoryFileSystem&, MemoryTerminal& t) { t.registered = false; },
     {},
     false,
     {},
     {},
     RaisedError{429, L"ActiveX component can't create object"}},
    {"CaricaVX creates C:\\_Letture and sends file_up.tmp by reference",
     true,
     false,
     NoSetUp,
     {L"create", L"InErrore", kSend, L"release"},
     true,
     {},
     {},
     {}},
    {"CaricaVX with InErrore only calls Chiudi, silently",
     true,
     false,
     [](MemoryFileSystem&, MemoryTerminal& t) { t.inErrore = true; },
     {L"create", L"InErrore", L"Chiudi", L"release"},
     true,
     {},
     {},
     {}},
    {"CaricaVX shows the control's error with its number",
     true,
     false,
     [](MemoryFileSystem&, MemoryTerminal& t) {
         t.failures.insert_or_assign(L"InviaFile", RaisedError{53, L"File non trovato"});
     },
     {L"create", L"InErrore", kSend, L"release"},
     true,
     {},
     {{L"File non trovato", L"53"}},
     {}},
    {"CaricaVX without a registered control shows 429",
     true,
     false,
     [](MemoryFileSystem&, MemoryTerminal& t) { t.registered = false; },
     {},
     false,
     {},
     {{L"ActiveX component can't create object", L"429"}},
     {}},
    {"Murello113's CaricaVX sends C:\\file_up.tmp by value",
     true,
     true,
     NoSetUp,
     {L"create", L"InErrore", L"InviaFile byval \"C:\\file_up.tmp\"", L"release"},
     false,
     {},
     {},
     {}},
    {"Murello113's CaricaVX raises the control's error to the caller",
     true,
     true,
     [](MemoryFileSystem&, MemoryTerminal& t) {
         t.failures.insert_or_assign(L"InErrore", RaisedError{5, L"Invalid"});
     },
     {L"create", L"InErrore", L"release"},
     false,
     {},
     {},
     RaisedError{5, L"Invalid"}},
};

TEST(TerminalForms, LoadHandlers) {
    for (const FormCase& c : kCases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        MemoryUserInterface ui;
        MemoryTerminal terminal(files);
        c.given(files, terminal);
        const TerminalFormServices services{files, ui, terminal};
        ScaricaVXLogic scarica(services, c.reduced);
        CaricaVXLogic carica(services, c.reduced);
        scarica.NomeCartella = c.folder;
        scarica.NomeFile = L"Rimesse_OF_20261206-143005.tmp";
        scarica.NumeroFile = c.numero;
        EXPECT_TRUE(terminal.calls.empty()) << "setting the variables ran something";

        std::optional<RaisedError> raised;
        try {
            c.upload ? carica.Load() : scarica.Load();
            c.upload ? carica.Unload() : scarica.Unload();
        } catch (const RaisedError& error) {
            raised = error;
        }

        EXPECT_EQ(terminal.calls, c.calls);
        EXPECT_EQ(terminal.liveControls, 0);
        std::vector<std::pair<std::wstring, std::wstring>> boxes;
        for (const auto& box : ui.boxes) {
            boxes.emplace_back(box.text, box.title);
            EXPECT_EQ(box.style, kBoxIconStop);
        }
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(raised.has_value(), c.raised.has_value());
        if (raised && c.raised) {
            EXPECT_EQ(raised->number, c.raised->number);
            EXPECT_EQ(raised->description, c.raised->description);
        }
        EXPECT_EQ((std::map<std::wstring, std::string>(files.files.begin(), files.files.end())),
                  c.filesAfter);
        EXPECT_EQ(files.FolderExists(c.upload ? L"C:\\_Letture" : c.folder), c.folderMade);
    }
}

TEST(TerminalForms, ScaricaVXKeepsItsVariablesBetweenLoads) {
    MemoryFileSystem files;
    MemoryUserInterface ui;
    MemoryTerminal terminal(files);
    terminal.terminalFiles[2] = "second";
    ScaricaVXLogic scarica({files, ui, terminal}, false);
    scarica.NomeCartella = L"C:\\_Letture";
    scarica.NomeFile = L"a.tmp";
    scarica.NumeroFile = 2;
    scarica.Load();
    scarica.Unload();
    files.files.clear();
    scarica.Load();
    EXPECT_EQ(files.files.at(L"C:\\_Letture\\a.tmp"), "second");
    EXPECT_EQ(scarica.NumeroFile, 2);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(TerminalForms, Upload1IsALoadOfCaricaVXRaisingOnlyInMurello113) {
    for (const ReaderBuild build : {ReaderBuild::Murello11500, ReaderBuild::Murello113}) {
        const BuildVariant variant = VariantOf(build);
        SCOPED_TRACE(testing::Message() << variant.typeLibraryName);
        MemoryFileSystem files;
        MemoryUserInterface ui;
        MemoryTerminal terminal(files);
        terminal.failures.insert_or_assign(L"InviaFile", RaisedError{1234, L"Terminale spento"});
        ReaderServices services;
        services.caricaVX = LazyService<CaricaVXForm>::Of(std::make_shared<CaricaVXLogic>(
            TerminalFormServices{files, ui, terminal}, HasReducedForms(variant)));
        ReaderObject object(std::move(services), variant);
        std::optional<std::int32_t> raised;
        try {
            object.Upload1();
        } catch (const RaisedError& error) {
            raised = error.number;
        }
        const bool reduced = build == ReaderBuild::Murello113;
        EXPECT_EQ(raised, reduced ? std::optional<std::int32_t>(1234) : std::nullopt);
        EXPECT_EQ(ui.boxes.size(), reduced ? 0u : 1u);
        EXPECT_EQ(terminal.calls.size(), 4u);  // create, InErrore, InviaFile, release
    }
}

}  // namespace
}  // namespace reader
