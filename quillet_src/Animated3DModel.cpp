#include "Animated3DModel.h"

#include "Errors.h"
#include "ObjModel.h"
#include "Utils.h"

Animated3DModel::Animated3DModel(std::vector<std::string> const& fileNames, float scale)
    : frames(),
      minId(0),
      maxId(0),
      timeNextFrame(0),
      currentFrame(0),
      framePeriod(DEFAULT_FRAME_PERIOD),
      forward(false),
      running(true),
      position(0.f, 0.f, 0.f)
{
    ASSERT(!fileNames.empty(), "an animated model needs at least one file");
    frames.reserve(fileNames.size());
    for (std::string const& fileName : fileNames)
        frames.push_back(new ObjModel(fileName, scale, 0.f, 1000));
    maxId = static_cast<unsigned>(frames.size() - 1);
}

Animated3DModel::~Animated3DModel()
{
    for (ObjModel* frame : frames)
        delete frame;
}

void Animated3DModel::drawNoPos() const
{
    advanceAnimation(Utils::getTime());
    frames[currentFrame]->drawNoPos();
}

bool Animated3DModel::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const
{
    return frames[currentFrame]->isThere3DIntersection(from, to, out);
}

void Animated3DModel::advanceAnimation(int now) const
{
    if (!running || now <= timeNextFrame)
        return;
    timeNextFrame = now + framePeriod;
    if (forward)
        currentFrame = currentFrame >= maxId ? minId : currentFrame + 1;
    else
        currentFrame = currentFrame <= minId ? maxId : currentFrame - 1;
}

void Animated3DModel::setAnimationFrame(unsigned idFrame)
{
    ASSERT(idFrame <= maxId, NULL);
    currentFrame = idFrame;
}

// The check keeps its whole text although unsigned ids are never negative.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wtype-limits"
void Animated3DModel::setAnimationMinAndMaxIds(unsigned idFrameMin, unsigned idFrameMax)
{
    ASSERT(idFrameMin < idFrameMax && idFrameMin >= 0, NULL);
    ASSERT(idFrameMax < frames.size(), NULL);
    minId = idFrameMin;
    maxId = idFrameMax;
    if (currentFrame < minId || currentFrame > maxId)
        currentFrame = minId;
}
#pragma GCC diagnostic pop

unsigned Animated3DModel::getCurrentFrame() const
{
    return currentFrame;
}

unsigned Animated3DModel::getNbFrames() const
{
    return static_cast<unsigned>(frames.size());
}

ObjModel const& Animated3DModel::getFrame(unsigned idFrame) const
{
    ASSERT(idFrame < frames.size(), NULL);
    return *frames[idFrame];
}

int Animated3DModel::getFramePeriod() const
{
    return framePeriod;
}

void Animated3DModel::setFramePeriod(int milliseconds)
{
    framePeriod = milliseconds;
}

bool Animated3DModel::isForward() const
{
    return forward;
}

void Animated3DModel::setForward(bool goesForward)
{
    forward = goesForward;
}

bool Animated3DModel::isRunning() const
{
    return running;
}

void Animated3DModel::setRunning(bool isOn)
{
    running = isOn;
}

Float3 Animated3DModel::getPosition() const
{
    return position;
}

void Animated3DModel::setPosition(Float3 const& newPosition)
{
    position = newPosition;
}
