#include <windows.h>

#include "editor/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return figury::runEditor(instance, showCommand);
}
