#include "BasicVector.h"

Color4 const colorBlack(0, 0, 0, 255);
Color4 const colorWhite(255, 255, 255, 255);
Color4 const colorSemiTransparent(255, 255, 255, 128);
Color4 const colorTransparent(255, 255, 255, 0);
Color4 const colorBlue(0, 0, 255, 255);
Color4 const colorYellow(255, 255, 0, 255);
Color4 const colorRed(255, 0, 0, 255);
Color4 const colorGrey(128, 128, 128, 255);
