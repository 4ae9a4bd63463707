// Keyboard movement with collision against the map cells.
#include "control/movement.h"

#include <cstdint>

#include "platform/platform.h"
#include "world/world.h"

namespace {

bool isHeld(int key) {
    return platformKeyState(key) < 0;
}

// Cells are found by truncation towards zero, not by floor.
bool isWalkable(float x, float y) {
    const auto cellX = static_cast<std::int32_t>(x);
    const auto cellY = static_cast<std::int32_t>(y);
    return mapCell(*world.currentMap, cellX, cellY) == OPEN_CELL;
}

}  // namespace

float chooseMoveSpeed() {
    float moveSpeed = WALK_STEP;
    if (isHeld(KEY_SHIFT)) {
        moveSpeed = RUN_STEP;
    }
    return moveSpeed;
}

void applyMovementKeys(Direction viewDir, float moveSpeed) {
    const float alongX = viewDir.x * moveSpeed;
    const float alongY = viewDir.y * moveSpeed;
    if (isHeld(KEY_W)) {
        tryMove(alongX, alongY);
    }
    if (isHeld(KEY_S)) {
        tryMove(-alongX, -alongY);
    }
    if (isHeld(KEY_D)) {
        tryMove(-alongY, alongX);
    }
    if (isHeld(KEY_A)) {
        tryMove(alongY, -alongX);
    }
}

void tryMove(float dx, float dy) {
    const float newX = world.playerX + dx;
    const float newY = world.playerY + dy;
    if (isWalkable(newX, world.playerY)) {
        world.playerX = newX;
    }
    if (isWalkable(world.playerX, newY)) {
        world.playerY = newY;
    }
}
