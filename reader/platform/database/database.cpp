#include "platform/database/database.h"

#include <cwctype>

namespace reader {

bool IsAccessFileName(const std::wstring& path) {
    std::wstring lower;
    for (wchar_t c : path) lower += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    for (const wchar_t* ending : {L".mdb", L".mde", L".accdb"}) {
        if (lower.ends_with(ending)) return true;
    }
    return false;
}

void InOneCommittedTransaction(Database& db, const std::function<void()>& body) {
    db.BeginTransaction();
    try {
        body();
    } catch (...) {
        try {
            db.CommitTransaction();
        } catch (...) {
            // The fault that stopped the body is the one the caller needs to see.
        }
        throw;
    }
    db.CommitTransaction();
}

EngineByFileName::EngineByFileName(std::unique_ptr<DatabaseEngine> accessEngine,
                                   std::unique_ptr<DatabaseEngine> otherEngine)
    : accessEngine_(std::move(accessEngine)), otherEngine_(std::move(otherEngine)) {}

std::unique_ptr<Database> EngineByFileName::OpenDatabase(const std::wstring& path) {
    if (IsAccessFileName(path)) {
        if (!accessEngine_) throw ReaderError(kErrDbNoInstallableIsam, 0, L"OpenDatabase " + path);
        return accessEngine_->OpenDatabase(path);
    }
    return otherEngine_->OpenDatabase(path);
}

}  // namespace reader
