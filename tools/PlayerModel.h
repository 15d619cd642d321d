#ifndef PLAYERMODEL_H
#define PLAYERMODEL_H

// The player's body: a blocky figure about 33 model units tall (10 world units
// at the player's model scale 0.3), feet on the origin, facing +z (the player
// turns it by the camera yaw + 180 degrees, which points +z the way it walks).
// Five frames: standing, two walking strides, and two wing beats of flight.
// All frames share one small texture of skin, face, hair and clothes.

#include "Canvas.h"
#include "ModelBuilder.h"

namespace PlayerModel
{
int const FRAME_COUNT = 5;
float const MODEL_HEIGHT = 33.4f;
// frame is 1 to FRAME_COUNT, as in the file names.
ModelBuilder makeFrame(int frame);
Canvas makeTexture();
char const* const TEXTURE_FILE = "player.png";
char const* const MATERIAL_FILE = "player.mtl";
}

#endif
