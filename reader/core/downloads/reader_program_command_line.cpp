#include "core/downloads/reader_program_command_line.h"

namespace reader {
namespace {

std::wstring QuotedIfBlank(std::wstring text) {
    if (text.find(L' ') == std::wstring::npos) return text;
    return L"\"" + text + L"\"";
}

const wchar_t* Flag(bool value) { return value ? L"1" : L"0"; }

}  // namespace

std::wstring WithFinalBackslash(std::wstring folder) {
    if (!folder.ends_with(L'\\')) folder += L'\\';
    return folder;
}

std::wstring ReaderProgramCommandLine(std::wstring_view componentFolder,
                                      std::wstring_view resultPath,
                                      const ReaderProgramOptions& options) {
    const std::wstring program = QuotedIfBlank(WithFinalBackslash(std::wstring(componentFolder)) +
                                               std::wstring(kReaderProgramName));
    const std::wstring fields[] = {
        QuotedIfBlank(std::wstring(resultPath)),
        std::to_wstring(options.PortaCOM),
        std::to_wstring(options.Baud),
        std::to_wstring(options.ModFile),
        Flag(options.CR),
        Flag(options.LF),
        Flag(options.MostraErrore),
        Flag(options.MostraFile),
        Flag(options.MostraMaschera),
        L"0",
        std::to_wstring(options.Timeout),
    };
    std::wstring line = program + L" ";
    for (const std::wstring& field : fields) {
        if (&field != &fields[0]) line += L',';
        line += field;
    }
    return line;
}

}  // namespace reader
