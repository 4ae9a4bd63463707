// Walking: the step length from Shift, the W/S/D/A keys relative to the view direction, and
// the per-axis collision test against the current map.
#pragma once

#include "render/view_direction.h"

constexpr float WALK_STEP = 0.25f;  // cells per frame and key
constexpr float RUN_STEP = 0.5f;    // while Shift is held

// WALK_STEP, or RUN_STEP while Shift is held. Reads: the Shift key.
float chooseMoveSpeed();

// Moves the player one step of moveSpeed for each held key, in the order W (forward),
// S (back), D (right), A (left), each from where the previous one left it.
// Reads: the W, S, D, A keys, world.currentMap. Sets: world.playerX, world.playerY.
void applyMovementKeys(Direction viewDir, float moveSpeed);

// Moves the player by (dx, dy) as far as the map allows: the x part only into an open cell,
// then the y part only into an open cell from the x that left. Reads: world.currentMap.
// Sets: world.playerX, world.playerY.
void tryMove(float dx, float dy);
