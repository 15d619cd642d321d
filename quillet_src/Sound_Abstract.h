#ifndef SOUND_ABSTRACT_H
#define SOUND_ABSTRACT_H

// A loaded sound as the rest of the program sees it: play it, ask whether it
// still plays, set how loud it is. The sound manager owns every sound; users
// keep plain pointers and never delete them.

class Sound_Abstract
{
public:
    virtual void play(bool waitForEnd) = 0;
    // 0 is silent, 255 is full volume.
    virtual void setVolume(unsigned char volume) = 0;
    virtual bool isPlaying() const = 0;
    virtual ~Sound_Abstract();
};

#endif
