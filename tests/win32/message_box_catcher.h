#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Records every message box the test thread opens and closes it with OK, so
// that the real MessageBoxA runs without anyone at the keyboard.
struct SeenBox {
    std::string caption;
    std::string text;
    HWND owner;
    bool errorIcon;
};

class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<SeenBox>& boxes() const;
    void forget();

private:
    HHOOK hook_;
};
