#ifndef SOUNDS_H
#define SOUNDS_H

// The game's sounds, synthesised: the player's footstep (a short low thump
// with a scuff of filtered noise) and jump (a quick rising tone), and the demo
// game's pickup (two bright bell notes a fifth apart). All are short, start
// and end at silence so that looping or restarting never clicks.

#include <vector>

namespace Sounds
{
int const SAMPLE_RATE = 22050;
std::vector<float> makeFootstep();
std::vector<float> makeJump();
std::vector<float> makePickup();
}

#endif
