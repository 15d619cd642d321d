#ifndef OBJECTMODELS_H
#define OBJECTMODELS_H

// Models for the script objects of the demo game: a cut gem and a coin, each
// resting on the origin (lowest point at y = 0, centred on the y axis, about
// 9 units tall, a little under one cube) with its own small texture.

#include "Canvas.h"
#include "ModelBuilder.h"

namespace ObjectModels
{
ModelBuilder makeGem();
Canvas makeGemTexture();
ModelBuilder makeCoin();
Canvas makeCoinTexture();
}

#endif
