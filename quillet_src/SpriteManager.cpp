#include "SpriteManager.h"
