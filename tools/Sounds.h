#ifndef SOUNDS_H
#define SOUNDS_H

// The player's two sounds, synthesised: a footstep (a short low thump with a
// scuff of filtered noise) and a jump (a quick rising tone). Both are short,
// start and end at silence so that looping or restarting never clicks.

#include <vector>

namespace Sounds
{
int const SAMPLE_RATE = 22050;
std::vector<float> makeFootstep();
std::vector<float> makeJump();
}

#endif
