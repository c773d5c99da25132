// Which of the four builds the reader runs in. The core is compiled once for all of them, so the
// behaviour that differs per build (fixed files, error traps, checks) is chosen at run time.
#pragma once

#include <string>

namespace reader {

enum class ReaderBuild { Murello11500, Murello113, Murello111, Murello110 };

struct BuildVariant {
    ReaderBuild build = ReaderBuild::Murello11500;
    // The build's type library name: the host run time's title for a box shown without one.
    std::wstring typeLibraryName = L"Murello11500";
};

inline BuildVariant VariantOf(ReaderBuild build) {
    switch (build) {
        case ReaderBuild::Murello113:
            return {build, L"Murello113"};
        case ReaderBuild::Murello111:
            return {build, L"ZaradEdadod111"};
        case ReaderBuild::Murello110:
            return {build, L"ZaradEdadod110"};
        case ReaderBuild::Murello11500:
            break;
    }
    return {ReaderBuild::Murello11500, L"Murello11500"};
}

}  // namespace reader
