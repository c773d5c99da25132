// Message boxes, the only thing the launcher ever shows the user.
#pragma once

#include <string>

namespace lanvik {

// Message box styles and answers, with the values Windows gives them.
enum : unsigned {
    kBoxOk = 0x0,
    kBoxYesNo = 0x4,
    kBoxIconQuestion = 0x20,
    kBoxIconExclamation = 0x30,
    kBoxIconInformation = 0x40,
};
enum : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows a box without an owner window and returns the button the user pressed.
    virtual int ShowMessage(const std::string& text, const std::string& title, unsigned style) = 0;
};

}  // namespace lanvik
