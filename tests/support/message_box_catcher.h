#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace figury {

// Records every message box the test thread opens and closes it with OK, or
// with the answers given, so that the real message box runs without anyone at
// the keyboard. Its texts are read as Unicode: what the user reads, whatever
// the system's code page.
struct SeenBox {
    std::wstring caption;
    std::wstring text;
    HWND owner;
    bool errorIcon;
    std::vector<int> buttons;  // identifiers, in the box's order
    int focusedButton;         // the one with the focus as the box opens: Enter presses it
};

class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<SeenBox>& boxes() const;
    void forget();
    // The buttons to press on the next boxes, one each; OK after them.
    void answerWith(std::vector<int> answers);

private:
    HHOOK hook_;
};

}  // namespace figury
