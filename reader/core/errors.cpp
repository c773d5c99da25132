#include "core/errors.h"

#include <atomic>

namespace reader {
namespace {

std::atomic<DiagnosticSink> diagnosticSink{nullptr};

RaisedError Written(RaisedError error) {
    if (const DiagnosticSink sink = diagnosticSink.load()) sink(DiagnosticLine(error).c_str());
    return error;
}

}  // namespace

std::wstring ErrorText(std::int32_t number) {
    switch (number) {
#define READER_ERROR_TEXT(name, value, text) \
    case value:                              \
        return text;
        READER_ERROR_MAP(READER_ERROR_TEXT)
#undef READER_ERROR_TEXT
        default:
            return {};
    }
}

std::wstring ErrorText(std::int32_t number, std::initializer_list<std::wstring_view> fills) {
    const std::wstring text = ErrorText(number);
    std::wstring filled;
    auto next = fills.begin();
    for (wchar_t c : text) {
        if (c == L'|' && next != fills.end()) {
            filled += *next++;
        } else {
            filled += c;
        }
    }
    return filled;
}

std::wstring ErrorBoxTitle(std::int32_t number) { return L"Errore n. " + std::to_wstring(number); }

RaisedError ReaderError(std::int32_t number, std::int64_t systemCode, std::wstring operation) {
    return Written(RaisedError(number, ErrorText(number), systemCode, std::move(operation)));
}

RaisedError ReaderErrorWithText(std::int32_t number, std::wstring description,
                                std::int64_t systemCode, std::wstring operation) {
    return Written(RaisedError(number, std::move(description), systemCode, std::move(operation)));
}

void SetDiagnosticSink(DiagnosticSink sink) { diagnosticSink.store(sink); }

std::wstring DiagnosticLine(const RaisedError& error) {
    std::wstring line =
        L"Murello: error " + std::to_wstring(error.number) + L" \"" + error.description + L"\"";
    if (!error.operation.empty()) line += L" in " + error.operation;
    if (error.systemCode != 0) line += L", system code " + std::to_wstring(error.systemCode);
    return line + L"\n";
}

}  // namespace reader
