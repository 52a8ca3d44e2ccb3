#include "editor/win32/main_window.h"

#include <iterator>

#include "editor/commands.h"
#include "editor/texts.h"
#include "editor/win32/gdi/polish_text.h"
#include "editor/win32/window_proc.h"

namespace figury {

namespace {

HWND createButton(HWND window, HINSTANCE instance, int x, int width, const char* label, int controlId,
                  DWORD style) {
    return createControl(L"button", label, WS_CHILD | WS_VISIBLE | style, x, 0, width, buttonBarHeight,
                         window, controlId, instance);
}

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
    windowClass.lpszClassName = windowClassName;
    windowClass.hIconSm = nullptr;
    return RegisterClassExA(&windowClass);
}

HWND createMainWindow(HINSTANCE instance, EditorState& state) {
    return CreateWindowExA(0, windowClassName, titleLine, mainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           mainWindowWidth, mainWindowHeight, nullptr, nullptr, instance, &state);
}

void createButtonBar(HWND window, HINSTANCE instance) {
    // The blank ends are disabled and carry identifier 0, so they never command anything.
    createButton(window, instance, 0, blankButtonWidth, "", 0, WS_DISABLED);
    for (const CommandButton& button : commandButtons) {
        createButton(window, instance, button.x, commandButtonWidth, button.label,
                     static_cast<int>(button.id), 0);
    }
    createButton(window, instance, mainWindowWidth - blankButtonWidth, blankButtonWidth, "", 0, WS_DISABLED);
}

HACCEL createEditKeys() {
    const auto command = [](Command id) { return static_cast<WORD>(id); };
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'Z', command(Command::undo)},
        {FVIRTKEY | FCONTROL, 'Y', command(Command::redo)},
        {FVIRTKEY | FCONTROL | FSHIFT, 'Z', command(Command::redo)},
        {FVIRTKEY, VK_ESCAPE, command(Command::cancel)},
        {FVIRTKEY | FCONTROL, 'S', command(Command::save)},
    };
    return CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys)));
}

void dispatchMessageWithKeys(HWND window, HACCEL keys, MSG& message) {
    if (keys != nullptr && TranslateAcceleratorA(window, keys, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int runMessageLoop(HWND window, HACCEL keys) {
    MSG message = {};
    // GetMessageA returns -1 on an error; that ends the loop too rather than spinning.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        dispatchMessageWithKeys(window, keys, message);
    }
    return static_cast<int>(message.wParam);
}

int runEditor(HINSTANCE instance, int showCommand) {
    registerFiguryClass(instance);  // a failure shows up as a window that cannot be created
    EditorState state;
    HWND window = createMainWindow(instance, state);
    if (window == nullptr) {
        return 1;  // nothing would ever post the quit message
    }
    ShowWindow(window, showCommand);
    createButtonBar(window, instance);
    HACCEL keys = createEditKeys();  // without it the keys do nothing, and the buttons still work
    const int exitCode = runMessageLoop(window, keys);
    if (keys != nullptr) {
        DestroyAcceleratorTable(keys);
    }
    return exitCode;
}

}  // namespace figury
