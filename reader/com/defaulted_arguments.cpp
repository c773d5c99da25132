#include "com/defaulted_arguments.h"

#include <oleauto.h>

#include <memory>

namespace reader::com {
namespace {

struct FuncDescRelease {
    ITypeInfo* info;
    void operator()(FUNCDESC* desc) const { info->ReleaseFuncDesc(desc); }
};
using FuncDescPtr = std::unique_ptr<FUNCDESC, FuncDescRelease>;

FuncDescPtr FindMethod(ITypeInfo* info, DISPID id) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return FuncDescPtr(nullptr, {info});
    const WORD count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* raw = nullptr;
        if (FAILED(info->GetFuncDesc(i, &raw))) continue;
        FuncDescPtr desc(raw, {info});
        if (desc->memid == id && desc->invkind == INVOKE_FUNC) return desc;
    }
    return FuncDescPtr(nullptr, {info});
}

// The type a by-reference parameter points to (an enumeration is a 32-bit integer); VT_EMPTY
// for any other parameter.
VARTYPE PointedType(const ELEMDESC& element) {
    const TYPEDESC& type = element.tdesc;
    if (type.vt != VT_PTR || !type.lptdesc) return VT_EMPTY;
    const VARTYPE pointed = type.lptdesc->vt;
    return pointed == VT_USERDEFINED ? static_cast<VARTYPE>(VT_I4) : pointed;
}

bool LeftOut(const VARIANT& argument) {
    return V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND;
}

}  // namespace

DefaultedArguments::~DefaultedArguments() {
    for (VARIANT& value : arguments_) VariantClear(&value);
    for (VARIANT& value : defaults_) VariantClear(&value);
}

DISPPARAMS* DefaultedArguments::Complete(ITypeInfo* info, DISPID id, WORD flags,
                                         DISPPARAMS* params) {
    if (!params || !(flags & DISPATCH_METHOD) || params->cNamedArgs != 0) return params;
    const FuncDescPtr method = FindMethod(info, id);
    if (!method || params->cArgs > static_cast<UINT>(method->cParams)) return params;
    const UINT total = static_cast<UINT>(method->cParams);
    const UINT given = params->cArgs;
    auto givenArgument = [&](UINT i) -> VARIANT& { return params->rgvarg[given - 1 - i]; };
    bool leftOut = given < total;
    for (UINT i = 0; i < given; ++i) leftOut = leftOut || LeftOut(givenArgument(i));
    if (!leftOut) return params;

    arguments_.assign(total, VARIANT{});
    defaults_.assign(total, VARIANT{});
    for (UINT i = 0; i < total; ++i) {
        VARIANT& argument = arguments_[total - 1 - i];
        const PARAMDESC& parameter = method->lprgelemdescParam[i].paramdesc;
        const VARTYPE type = PointedType(method->lprgelemdescParam[i]);
        const bool present = i < given && !LeftOut(givenArgument(i));
        const bool defaulted =
            !present && (parameter.wParamFlags & PARAMFLAG_FHASDEFAULT) && parameter.pparamdescex &&
            type != VT_EMPTY && type != VT_VARIANT &&
            SUCCEEDED(VariantChangeType(&defaults_[i], &parameter.pparamdescex->varDefaultValue, 0,
                                        type));
        if (defaulted) {
            V_VT(&argument) = static_cast<VARTYPE>(type | VT_BYREF);
            V_BYREF(&argument) = &V_I8(&defaults_[i]);  // every member of the union starts here
        } else if (i < given) {
            // A copy: what the type information writes back lands in it, never in a value that
            // the caller still owns (a reference still leads to the caller's variable).
            if (FAILED(VariantCopy(&argument, &givenArgument(i)))) return params;
        } else {
            return params;  // no default to give: the type information reports it as before
        }
    }
    completed_.rgvarg = arguments_.data();
    completed_.cArgs = total;
    completed_.rgdispidNamedArgs = nullptr;
    completed_.cNamedArgs = 0;
    return &completed_;
}

}  // namespace reader::com
