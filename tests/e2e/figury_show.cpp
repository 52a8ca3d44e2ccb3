// figury_show FIGURY_EXE WORK_DIR OUT_PNG
// Runs the editor in WORK_DIR, answers its greeting, saves a screenshot of
// its window to OUT_PNG and closes it the normal way. For machines with no
// screen, where nobody could answer the greeting or see the window.

#include <cstdio>

#include "editor_session.h"

namespace figury {

using namespace e2e;

}  // namespace figury

using namespace figury;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: figury_show FIGURY_EXE WORK_DIR OUT_PNG\n");
        return 2;
    }
    EditorSession session(toWindowsPath(argv[1]));
    if (!session.start(toWindowsPath(argv[2]))) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    HWND greeting = session.waitBox(L"dane");
    if (!greeting || !session.answer(greeting)) {
        std::fprintf(stderr, "the editor did not greet\n");
        return 1;
    }
    // The figure file may not load; then say so and go on with an empty editor.
    HWND failed = nullptr;
    waitUntil(
        [&] {
            for (HWND box : topWindows(session.process().id(), "#32770", L"Brak danych")) {
                failed = IsWindowVisible(box) ? box : failed;
            }
            return failed || !session.process().running() || session.waitWindow(Millis(0));
        },
        Millis(20000));
    if (failed) {
        std::fprintf(stderr, "the editor could not load Dane/obiekt.obj\n");
        session.answer(failed);
    }
    if (!session.waitWindow()) {
        std::fprintf(stderr, "no editor window\n");
        return 1;
    }
    RECT frame{};
    GetWindowRect(session.window(), &frame);
    session.settle();
    Image shot = captureScreen(frame);
    bool saved = writePng(toWindowsPath(argv[3]), shot);
    DWORD code = 1;
    if (!session.closeWithAltF4(&code)) {
        std::fprintf(stderr, "the editor did not close\n");
        return 1;
    }
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("%s\n", argv[3]);
    return static_cast<int>(code);
}
