#include "core/downloads/reader_program_download.h"

#include <vector>

#include "core/downloads/label_decoder.h"
#include "core/downloads/reader_program_command_line.h"
#include "core/downloads/result_file.h"
#include "core/services.h"
#include "core/text_encoding.h"

namespace reader {
namespace {

const std::wstring kTable = L"murello";
const std::wstring kNoResultText = L"Non dato \u00e8 stato ricevuto dal lettore con murello.";
const std::wstring kNoResultTitle = L"Lettura dati...";

// EseguiEAttendi: the reader program runs hidden and is waited for without limit, without
// processing messages; only its own time-out argument bounds it.
void RunAndWait(const std::wstring& commandLine, kit::ProgramRunner& programs) {
    const auto program = programs.StartHidden(ToWindows1252(commandLine));
    if (!program) throw ReaderError(kErrFileNotFound, 0, L"CreateProcessA " + commandLine);
    program->WaitUntilEnded();
}

std::vector<NamedValue> ReadingRow(const std::vector<std::wstring>& fields, const Date& today) {
    // The quantity goes as text: its column's type decides what it becomes.
    return {
        {L"Codart", FieldNumber(fields, 1)},
        {L"Quantit\u00e0", FieldNumber(fields, 2)},
        {L"Data", today},
        {L"IDLotto", std::int32_t{0}},
    };
}

std::vector<NamedValue> LabelRow(const std::vector<std::wstring>& fields) {
    const DecodedLabel label = DecodeLabel(FieldNumber(fields, 1));
    const std::wstring& container = FieldNumber(fields, 2);
    return {
        {L"Codart", label.codart},
        {L"Data", label.scadenza},
        {L"NColli", label.colli},
        {L"Lotto_Codice", label.lotto},
        {L"Lotto_Scadenza", label.scadenza},
        {L"SSCC", container},
    };
}

void StoreLines(TextReader& lines, Database& db, ResultRows rows, const Date& today) {
    while (!lines.AtEndOfStream()) {
        const std::wstring line = lines.ReadLine();
        if (IsBlankLine(line)) continue;
        const std::vector<std::wstring> fields = SplitFields(line);
        db.AppendRow(kTable,
                     rows == ResultRows::Readings ? ReadingRow(fields, today) : LabelRow(fields));
    }
}

}  // namespace

void DownloadThroughReaderProgram(ResultRows rows, const std::wstring& databasePath,
                                  const std::wstring& resultPath,
                                  const ReaderProgramOptions& options, ReaderServices& services) {
    RunAndWait(ReaderProgramCommandLine(services.Host().ApplicationPath(), resultPath, options),
               services.Programs());
    FileSystem& files = services.Files();
    if (!files.FileExists(resultPath)) {
        services.Ui().ShowMessage(kNoResultText, kNoResultTitle, kBoxIconStop | kBoxOk);
        return;
    }
    const std::unique_ptr<Database> db = services.Databases().OpenDatabase(databasePath);
    const std::unique_ptr<TextReader> lines = files.OpenTextFile(resultPath);
    const Date today = services.Host().Today();
    // One transaction per call, committed however the call ends: the rows before a fault stay,
    // and a long file is not one committed write per line.
    InOneCommittedTransaction(*db, [&] { StoreLines(*lines, *db, rows, today); });
}

}  // namespace reader
