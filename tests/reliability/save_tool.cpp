// Loads a figure file and saves the figure to another path, silently, so that
// a test can make the system fail the save's own calls from outside.
// Exit status: 0 saved, 1 the save failed, 2 the figure did not load, 3 usage.

#include "figure/figure.h"
#include "figure/figure_file.h"

namespace figury {

// In a sanitizer build: the leak checker cannot run under strace, and a report
// must not pass for a failed save. Set here because a test may fail the very
// call that would read the environment's options.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:exitcode=86";
}

extern "C" const char* __ubsan_default_options() {
    return "halt_on_error=1:exitcode=86";
}

}  // namespace figury

using namespace figury;

int main(int argc, char** argv) {
    if (argc != 3) {
        return 3;
    }
    Figure figure;
    if (!loadFigure(figure, argv[1])) {
        return 2;
    }
    return saveFigure(figure, argv[2]) ? 0 : 1;
}
