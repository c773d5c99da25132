#include "com/automation_error.h"

// after windows.h
#include <oleauto.h>

#include "com/type_library.h"
#include "kit/com_ptr.h"

namespace reader::com {

HRESULT AutomationErrorResult(std::int32_t number) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<std::uint16_t>(number));
}

HRESULT RaiseAutomationError(std::int32_t number, const std::wstring& description, REFIID iid) {
    kit::ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetGUID(iid);
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        const ComponentTypeLibrary* library = nullptr;
        if (SUCCEEDED(ComponentTypeLibrary::Get(&library)))
            create->SetSource(const_cast<LPOLESTR>(library->progId().c_str()));
        if (auto info = create.as<IErrorInfo>()) SetErrorInfo(0, info.get());
    }
    return AutomationErrorResult(number);
}

}  // namespace reader::com
