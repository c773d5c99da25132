#include "core/downloads/terminal_import.h"

#include <new>

#include "core/errors.h"

namespace reader {
namespace {

const std::wstring kReadingFolder = L"C:\\_Letture";
const std::wstring kTempFox = L"C:\\TEMPFOX.TMP";
const std::wstring kWrongCodeText =
    L"E' stato trovato un codice errato. Il programma continuer\u00e0 a scaricare il rimanente "
    L"del contenuto.";
const std::wstring kWrongCodeTitle = L"Attenzione!";

std::wstring PrefixOf(TerminalFile file) {
    switch (file) {
        case TerminalFile::Scarica4:
            return L"MovMag_";
        case TerminalFile::Scarica5:
            return L"Riconciliazione_";
        case TerminalFile::Scarica3:
        case TerminalFile::RimesseOF:
            break;
    }
    return L"Rimesse_OF_";
}

std::int16_t TerminalFileNumber(TerminalFile file) {
    return file == TerminalFile::Scarica5 ? 2 : 1;
}

std::wstring InsertStatement(const TerminalLayout& layout) {
    std::wstring columns;
    std::wstring marks;
    for (const std::wstring_view column : layout.columns) {
        if (!columns.empty()) {
            columns += L',';
            marks += L',';
        }
        columns.append(L"[").append(column).append(L"]");
        marks += L'?';
    }
    return L"Insert Into " + std::wstring(layout.table) + L" (" + columns + L") Values (" + marks +
           L")";
}

// Loads and unloads the form; the load handler does the transfer. The form is unloaded even
// when its load raised, so that its control never outlives the transfer.
void Transfer(ScaricaVXForm& form) {
    try {
        form.Load();
    } catch (...) {
        try {
            form.Unload();
        } catch (...) {
            // The load's error is the one the caller must see.
        }
        throw;
    }
    form.Unload();
}

// Imports every line of the file into its table in one transaction. It is committed however the
// import ends, so the rows before a failing line stay; a process killed on the way leaves the
// table as it was.
void ImportLines(TerminalFile file, TerminalBuild build, ReaderServices& services,
                 const std::wstring& dbPath, const std::wstring& path, std::int16_t idUt) {
    const std::unique_ptr<Database> db = services.Databases().OpenDatabase(dbPath);
    const std::unique_ptr<TextReader> text = services.Files().OpenTextFile(path);
    const std::wstring insert = InsertStatement(LayoutOf(file));
    LineContext context;
    context.idUt = idUt;
    context.lotRule = build == TerminalBuild::Murello113 ? LotRule::StraightToLong
                                                         : LotRule::ThroughValoreNumerico;
    InOneCommittedTransaction(*db, [&] {
        while (!text->AtEndOfStream()) {
            const std::wstring line = text->ReadLine();
            // Today's date is taken anew for each line.
            if (file == TerminalFile::Scarica3) context.today = services.LocalTime().Now().date;
            const ParsedLine parsed = ParseTerminalLine(file, line, context);
            if (parsed.kind == ParsedLine::Kind::Row) {
                db->Execute(insert, parsed.values);
            } else if (parsed.kind == ParsedLine::Kind::WrongCode) {
                services.Ui().ShowMessage(kWrongCodeText, kWrongCodeTitle, kBoxIconStop | kBoxOk);
            }
        }
    });
}

void ImportIntoReadingFolder(TerminalFile file, ReaderServices& services,
                             const std::wstring& dbPath, std::int16_t idUt) {
    const LocalDateTime started = services.LocalTime().Now();
    const std::wstring name =
        PrefixOf(file) + DateStamp(started) + L"-" + TimeStamp(started) + L".tmp";
    ScaricaVXForm& form = services.ScaricaVX();
    form.NomeCartella = kReadingFolder;
    form.NomeFile = name;
    form.NumeroFile = TerminalFileNumber(file);
    Transfer(form);

    const std::wstring path = kReadingFolder + L"\\" + name;
    if (!services.Files().FileExists(path)) return;
    ImportLines(file, TerminalBuild::Full, services, dbPath, path, idUt);

    std::wstring newName = L"Importato_" + name;
    if (file == TerminalFile::Scarica4 || file == TerminalFile::Scarica5) {
        const LocalDateTime ended = services.LocalTime().Now();
        newName = PrefixOf(file) + DateStamp(ended) + L"-" + TimeStamp(ended) + L".TMP";
    }
    services.Files().MoveFile(path, kReadingFolder + L"\\" + newName);
}

void ImportTempFox(TerminalFile file, ReaderServices& services, const std::wstring& dbPath) {
    FileSystem& files = services.Files();
    if (files.FileExists(kTempFox)) files.DeleteFile(kTempFox);
    ScaricaVXForm& form = services.ScaricaVX();
    form.NumeroFile = TerminalFileNumber(file);
    Transfer(form);
    if (!files.FileExists(kTempFox)) return;
    ImportLines(file, TerminalBuild::Murello113, services, dbPath, kTempFox, 0);

    // Scarica3's file stays until the next download deletes it.
    if (file == TerminalFile::Scarica3) return;
    if (!files.FolderExists(kReadingFolder)) files.CreateFolder(kReadingFolder);
    const LocalDateTime ended = services.LocalTime().Now();
    const std::wstring suffix =
        file == TerminalFile::Scarica4 ? L"_Importato.TMP" : L"_Riconciliazione.TMP";
    files.MoveFile(kTempFox,
                   kReadingFolder + L"\\" + DateStamp(ended) + L"-" + MinuteStamp(ended) + suffix);
}

}  // namespace

void ImportTerminalFile(TerminalFile file, TerminalBuild build, ReaderServices& services,
                        const std::wstring& dbPath, std::int16_t idUt) {
    if (build == TerminalBuild::Murello113) {
        ImportTempFox(file, services, dbPath);
        return;
    }
    // The trap reports in a box whose title is the bare number.
    try {
        ImportIntoReadingFolder(file, services, dbPath, idUt);
    } catch (const RaisedError& error) {
        services.Ui().ShowMessage(error.description, std::to_wstring(error.number),
                                  kBoxIconStop | kBoxOk);
    } catch (const std::bad_alloc&) {
        services.Ui().ShowMessage(ErrorText(kErrOutOfMemory), std::to_wstring(kErrOutOfMemory),
                                  kBoxIconStop | kBoxOk);
    }
}

}  // namespace reader
