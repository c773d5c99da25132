#include "core/downloads/infrared_record.h"

#include "core/errors.h"
#include "core/text_encoding.h"

namespace reader {
namespace {

// Takes the text before the first `separator` off the front of rest; without one, the host's
// cut fails with "invalid procedure call".
std::wstring CutField(std::wstring& rest, wchar_t separator) {
    const auto at = rest.find(separator);
    if (at == std::wstring::npos) throw ReaderError(kErrInvalidArgument);
    std::wstring field = rest.substr(0, at);
    rest.erase(0, at + 1);
    return field;
}

// The host's Mid: characters from a 0-based start, as many as there are.
std::wstring Part(const std::wstring& text, std::size_t start, std::size_t count) {
    return start < text.size() ? text.substr(start, count) : std::wstring();
}

}  // namespace

bool HasArticleSeparator(std::string_view record) {
    return record.find('$') != std::string_view::npos;
}

InfraredReading ParseInfraredRecord(std::string_view record) {
    std::wstring rest = FromWindows1252(record);
    InfraredReading reading;
    reading.article = CutField(rest, L'$');
    const std::wstring lot = CutField(rest, L';');
    std::wstring quantity = CutField(rest, L';');
    const std::wstring date = CutField(rest, L';');
    const std::wstring rep = CutField(rest, L';');

    reading.lot = TextToLong(lot);
    for (wchar_t& c : quantity) {
        if (c == L'.') c = L',';
    }
    reading.quantity = TextToDouble(quantity);
    reading.date = TextToDate(Part(date, 6, 2) + L"/" + Part(date, 4, 2) + L"/" + Part(date, 0, 4));
    reading.rep = TextToLong(rep);
    return reading;
}

}  // namespace reader
