// Every message box of the program goes through here: the text is looked up by id through the
// translation, and the front end that shows it (a Qt dialog, or a headless stand-in that logs
// and answers) is installed once at start.
#pragma once

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

namespace app {

// Button and icon bits of a message box style (the values of the system the design comes from).
enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_ABORTRETRYIGNORE = 0x02,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_RETRYCANCEL = 0x05,
    MB_TYPEMASK = 0x0F,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON2 = 0x100,  // the second button answers Enter (questions that remove things)
};

// Answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows text with the style's buttons and icon and answers the button pressed.
    virtual int show(const std::string& text, unsigned style) = 0;
};

// Without a display: each box is logged (and written to a stream when given) and answered
// with the box's default button, or with the answer set for questions.
class HeadlessMessageBoxes final : public MessageBoxes {
public:
    explicit HeadlessMessageBoxes(std::ostream* echo = nullptr) : echo_(echo) {}
    int show(const std::string& text, unsigned style) override;
    // The answer to boxes that ask (Yes/No, OK/Cancel ...); 0 = the first button.
    void setQuestionAnswer(int answer) { answer_ = answer; }
    int count() const { return count_; }
    const std::string& lastText() const { return last_; }
    unsigned lastStyle() const { return lastStyle_; }

private:
    std::ostream* echo_;
    int answer_ = 0;
    int count_ = 0;
    std::string last_;
    unsigned lastStyle_ = 0;
};

// Installs the front end; nullptr restores the headless default (which logs only).
void SetMessageBoxes(MessageBoxes* boxes);
MessageBoxes& CurrentMessageBoxes();

int MessageBoxText(const std::string& text, unsigned style);
int MessageBoxId(int stringId, unsigned style);
int MessageBoxId(int stringId, unsigned style, std::initializer_list<std::string_view> args);

// The shared display of a file result code: string 2999 + low byte with %1 = path, the error
// icon when bit 8 is set and the warning icon otherwise. Code 0 shows nothing. Returns the answer.
int ShowFileResult(int code, const std::string& path);
// The text ShowFileResult would show, and its style.
std::string FileResultText(int code, const std::string& path);
unsigned FileResultStyle(int code);

}  // namespace app
