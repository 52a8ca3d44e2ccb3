// Loads a figure file and saves the figure to another path, silently, so that
// a test can make the system fail the save's own calls from outside.
// Exit status: 0 saved, 1 the save failed, 2 the figure did not load, 3 usage.

#include "figure.h"
#include "figure_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 3;
    }
    Figure figure;
    if (loadFigure(figure, argv[1]) != 1) {
        return 2;
    }
    return saveFigure(figure, argv[2]) == 1 ? 0 : 1;
}
