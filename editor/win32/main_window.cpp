#include "main_window.h"

#include "editor_state.h"
#include "texts.h"
#include "window_proc.h"

const std::string windowClassName = "Figury";

namespace {

struct ButtonLayout {
    int x;
    int width;
    const char* text;
    int controlId;
    bool enabled;
};

// The blank ends are disabled and carry identifier 0, so they never command anything.
constexpr ButtonLayout buttonBar[] = {
    {0, 150, "", 0, false},
    {150, 100, buttonAddPoint, commandAddPoint, true},
    {250, 100, buttonDeletePoint, commandDeletePoint, true},
    {350, 100, buttonMovePoint, commandMovePoint, true},
    {450, 100, buttonInsertLine, commandInsertLine, true},
    {550, 100, buttonDeleteLine, commandDeleteLine, true},
    {650, 150, "", 0, false},
};

}  // namespace

ATOM registerFiguryClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = figuryWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = windowClassName.c_str();
    windowClass.hIconSm = nullptr;
    return RegisterClassExA(&windowClass);
}

HWND createMainWindow(HINSTANCE instance) {
    return CreateWindowExA(0, windowClassName.c_str(), titleLine, mainWindowStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, mainWindowWidth, mainWindowHeight, nullptr, nullptr,
                           instance, nullptr);
}

void createButtonBar(HWND window, HINSTANCE instance) {
    for (const ButtonLayout& button : buttonBar) {
        const DWORD style = WS_CHILD | WS_VISIBLE | (button.enabled ? 0 : WS_DISABLED);
        // A child window's menu argument carries its control identifier.
        HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.controlId));
        CreateWindowExA(0, "button", button.text, style, button.x, 0, button.width, buttonBarHeight,
                        window, id, instance, nullptr);
    }
}

int runMessageLoop() {
    MSG message = {};
    // GetMessageA returns -1 on an error; that ends the loop too rather than spinning.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int runEditor(HINSTANCE instance, int showCommand) {
    registerFiguryClass(instance);  // a failure shows up as a window that cannot be created
    HWND window = createMainWindow(instance);
    if (window == nullptr) {
        return 1;  // nothing would ever post the quit message
    }
    ShowWindow(window, showCommand);
    createButtonBar(window, instance);
    return runMessageLoop();
}
