#include "call_record.h"

#include <cstdio>
#include <cwchar>

#include "dispatch_object.h"
#include "sqlite_store.h"

namespace dao_standin {
namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += L"\\\\";
                break;
            case L'\t':
                out += L"\\t";
                break;
            case L'\r':
                out += L"\\r";
                break;
            case L'\n':
                out += L"\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

void RecordCall(std::initializer_list<std::wstring> fields) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LANVIK_DAO_RECORD", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::wstring line;
    for (const std::wstring& field : fields) {
        if (!line.empty()) line += L'\t';
        line += Escaped(field);
    }
    const std::string bytes = Utf8(line) + "\r\n";
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring RecordedValue(const VARIANT& value) {
    const StoredValue stored = FromVariant(value);
    switch (stored.kind) {
        case StoredValue::Kind::Null:
            return L"Null";
        case StoredValue::Kind::Integer:
            return std::to_wstring(stored.integer);
        case StoredValue::Kind::Real: {
            wchar_t text[64] = {};
            std::swprintf(text, 64, L"%.17g", stored.real);
            return text;
        }
        case StoredValue::Kind::Text:
            return stored.text;
    }
    return {};
}

}  // namespace dao_standin
