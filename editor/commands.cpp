#include "editor/commands.h"

#include <algorithm>

#include "editor/texts.h"

namespace figury {

const std::array<CommandButton, 5> commandButtons = {{
    {Command::addPoint, buttonAddPoint, 150, promptAddPoint, EditMode::addPoint},
    {Command::deletePoint, buttonDeletePoint, 250, promptDeletePoint, EditMode::deletePoint},
    {Command::movePoint, buttonMovePoint, 350, promptMovePoint, EditMode::movePick},
    {Command::insertLine, buttonInsertLine, 450, promptInsertLine, EditMode::lineFirst},
    {Command::deleteLine, buttonDeleteLine, 550, promptDeleteLine, EditMode::deleteLine},
}};

const CommandButton* findCommand(int controlId) {
    const auto found = std::find_if(
        commandButtons.begin(), commandButtons.end(),
        [controlId](const CommandButton& button) { return static_cast<int>(button.id) == controlId; });
    return found == commandButtons.end() ? nullptr : &*found;
}

}  // namespace figury
