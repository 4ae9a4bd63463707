// The one global game record.
#include "world/world.h"

World world = {4.0f, 11.0f, &demoMap3, 40, 120, 180.0f};
