#include "core/downloads/result_file.h"

#include "core/errors.h"

namespace reader {

bool IsBlankLine(std::wstring_view line) {
    return line.find_first_not_of(L' ') == std::wstring_view::npos;
}

std::vector<std::wstring> SplitFields(std::wstring_view line) {
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    while (true) {
        const auto separator = line.find(L';', start);
        fields.emplace_back(line.substr(start, separator - start));
        if (separator == std::wstring_view::npos) return fields;
        start = separator + 1;
    }
}

const std::wstring& FieldNumber(const std::vector<std::wstring>& fields, std::size_t number) {
    if (number < 1 || number > fields.size())
        throw ReaderError(kErrSubscriptOutOfRange, 0, L"result file line");
    return fields[number - 1];
}

}  // namespace reader
