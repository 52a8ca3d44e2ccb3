#include "message_box_catcher.h"

#include <cstring>

namespace {

std::vector<SeenBox> seen;
HWND lastBox = nullptr;
HHOOK activeHook = nullptr;

std::string dialogItemText(HWND box, int id) {
    char text[512] = {};
    GetDlgItemTextA(box, id, text, sizeof text);
    return text;
}

// The icon control's identifier differs between Windows (0x14) and Wine (0x440).
bool showsErrorIcon(HWND box) {
    const HICON hand = LoadIconA(nullptr, IDI_HAND);
    for (int id : {0x14, 0x440}) {
        HWND icon = GetDlgItem(box, id);
        if (icon != nullptr && reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)) == hand) {
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK watchActivations(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0 && window != lastBox) {
            lastBox = window;
            char caption[256] = {};
            GetWindowTextA(window, caption, sizeof caption);
            seen.push_back({caption, dialogItemText(window, 0xFFFF), GetWindow(window, GW_OWNER),
                            showsErrorIcon(window)});
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(activeHook, code, wParam, lParam);
}

}  // namespace

MessageBoxCatcher::MessageBoxCatcher() {
    seen.clear();
    lastBox = nullptr;
    hook_ = SetWindowsHookExA(WH_CBT, watchActivations, nullptr, GetCurrentThreadId());
    activeHook = hook_;
}

MessageBoxCatcher::~MessageBoxCatcher() {
    UnhookWindowsHookEx(hook_);
    activeHook = nullptr;
}

const std::vector<SeenBox>& MessageBoxCatcher::boxes() const { return seen; }

void MessageBoxCatcher::forget() { seen.clear(); }
