#include "support/message_box_catcher.h"

#include <cstring>
#include <deque>
#include <iterator>

namespace figury {

namespace {

std::vector<SeenBox> seen;
std::deque<int> answers;
HWND lastBox = nullptr;
HHOOK activeHook = nullptr;
HWND lastFocus = nullptr;

std::wstring dialogItemText(HWND box, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(box, id, text, static_cast<int>(std::size(text)));
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
            wchar_t caption[256] = {};
            GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
            std::vector<int> buttons;
            for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                char childClass[32] = {};
                GetClassNameA(child, childClass, sizeof childClass);
                const auto style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
                if (_stricmp(childClass, "Button") == 0 && (style & WS_VISIBLE)) {
                    buttons.push_back(GetDlgCtrlID(child));
                }
            }
            seen.push_back({caption, dialogItemText(window, 0xFFFF), GetWindow(window, GW_OWNER),
                            showsErrorIcon(window), buttons,
                            GetParent(lastFocus) == window ? GetDlgCtrlID(lastFocus) : 0});
            int answer = IDOK;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        }
    } else if (code == HCBT_SETFOCUS) {
        // A box gives its default button the focus as it opens, maybe before
        // it is activated: Enter presses that button.
        lastFocus = reinterpret_cast<HWND>(wParam);
        if (!seen.empty() && seen.back().focusedButton == 0 && GetParent(lastFocus) == lastBox) {
            seen.back().focusedButton = GetDlgCtrlID(lastFocus);
        }
    }
    return CallNextHookEx(activeHook, code, wParam, lParam);
}

}  // namespace

MessageBoxCatcher::MessageBoxCatcher() {
    seen.clear();
    answers.clear();
    lastBox = nullptr;
    hook_ = SetWindowsHookExA(WH_CBT, watchActivations, nullptr, GetCurrentThreadId());
    activeHook = hook_;
}

MessageBoxCatcher::~MessageBoxCatcher() {
    UnhookWindowsHookEx(hook_);
    activeHook = nullptr;
}

const std::vector<SeenBox>& MessageBoxCatcher::boxes() const {
    return seen;
}

void MessageBoxCatcher::forget() {
    seen.clear();
}

void MessageBoxCatcher::answerWith(std::vector<int> next) {
    answers.assign(next.begin(), next.end());
}

}  // namespace figury
