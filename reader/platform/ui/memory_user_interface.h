// Records what the reader shows instead of showing it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/user_interface.h"

namespace reader {

class MemoryUserInterface : public UserInterface {
  public:
    struct Box {
        std::wstring text;
        std::wstring title;
        unsigned style;
    };
    void ShowMessage(const std::wstring& text, const std::wstring& title, unsigned style) override {
        shown.push_back(L"box");
        boxes.push_back({text, title, style});
        if (onShow) onShow();
    }
    void Beep() override { shown.push_back(L"beep"); }

    std::vector<Box> boxes;
    std::vector<std::wstring> shown;  // "beep" and "box" in the order they happened
    std::function<void()> onShow;     // runs while the box is "open"
};

}  // namespace reader
