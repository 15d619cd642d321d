#ifndef ANIMATED3DMODEL_H
#define ANIMATED3DMODEL_H

// A sequence of OBJ files played as frames, one ObjModel per file; a still
// model is an animation of one frame. The animation steps by itself when it is
// drawn, through the frame range, forward or backward, one frame per period.
// The model also keeps where its owner placed it in the world; drawing never
// reads it (the owner moves the matrix there first).

#include "Object3D.h"

#include <string>
#include <vector>

class ObjModel;

class Animated3DModel : public Object3D
{
public:
    static constexpr int DEFAULT_FRAME_PERIOD = 500;

    // Each file becomes a frame, in order, with mesh weld 0 and collision weld 1000.
    Animated3DModel(std::vector<std::string> const& fileNames, float scale);
    ~Animated3DModel() override;
    Animated3DModel(Animated3DModel const&) = delete;
    Animated3DModel& operator=(Animated3DModel const&) = delete;

    // Steps the animation by the clock, then draws the current frame.
    void drawNoPos() const override;
    // Asks the current frame.
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const override;

    // Moves to the next frame when now (milliseconds) is past the time of the next change.
    void advanceAnimation(int now) const;
    void setAnimationFrame(unsigned idFrame);
    // The range of frames played; a current frame outside it becomes idFrameMin.
    void setAnimationMinAndMaxIds(unsigned idFrameMin, unsigned idFrameMax);

    unsigned getCurrentFrame() const;
    unsigned getNbFrames() const;
    ObjModel const& getFrame(unsigned idFrame) const;
    int getFramePeriod() const;
    void setFramePeriod(int milliseconds);
    bool isForward() const;
    void setForward(bool goesForward);
    bool isRunning() const;
    void setRunning(bool isOn);

    Float3 getPosition() const;
    void setPosition(Float3 const& newPosition);

private:
    std::vector<ObjModel*> frames;
    unsigned minId;
    unsigned maxId;
    // Drawing steps the animation, so these change in drawNoPos.
    mutable int timeNextFrame;
    mutable unsigned currentFrame;
    int framePeriod;
    // False: the frame index decreases.
    bool forward;
    bool running;
    // The owner's placement of the model, kept with it so the model is the one
    // record of where its body stands.
    Float3 position;
};

#endif
