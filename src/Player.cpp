#include "Player.h"

#include "Animated3DModel.h"
#include "Camera.h"
#include "DeviceManager.h"
#include "Errors.h"
#include "KeyboardManager.h"
#include "MathManager.h"
#include "MouseEvent.h"
#include "Object3D.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "Scene3D.h"
#include "SoundManager.h"
#include "Sound_Abstract.h"

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace
{
char const* const WALK_SOUND_FILE = "sound/walk.wav";
char const* const JUMP_SOUND_FILE = "sound/jump.wav";
int const NB_BODY_FRAMES = 5;
// Frames 0-2 are the walk cycle, 3-4 the flight cycle.
unsigned const WALK_FIRST_FRAME = 0;
unsigned const WALK_LAST_FRAME = 2;
unsigned const FLY_FIRST_FRAME = 3;
unsigned const FLY_LAST_FRAME = 4;

// Per-mode limits of the forward speed and accelerations (per microsecond of frame period).
struct MovementParameters
{
    float maxSpeed = 0.f;
    float acceleration = 0.f;
};
MovementParameters const WALK_PARAMETERS = {0.2f, 0.00005f};
MovementParameters const CAR_PARAMETERS = {0.0003f, 0.0002f};
MovementParameters const FLY_PARAMETERS = {0.0003f, 0.00005f};

Camera& sceneCamera()
{
    return deviceManager->getScene3D()->getCamera();
}

Int2 windowCentre()
{
    Int2 const size = deviceManager->getWindowRealSize();
    return Int2(static_cast<int>(size.x() * 0.5f), static_cast<int>(size.y() * 0.5f));
}

// A speed with no key acting on it drifts towards 0 by friction, and stops
// rather than cross it.
float applyFriction(float value, float friction)
{
    if (value > friction)
        return value - friction;
    if (value < -friction)
        return value + friction;
    return 0.f;
}

bool isLetterHeld(bool const* keys, char lowerCase)
{
    return keys[static_cast<unsigned char>(lowerCase)] ||
           keys[static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(lowerCase)))];
}
}

Player::Player(SoundManager* soundManager)
    : speed(0.f, 0.f, 0.f),
      cameraDistance(30.f),
      canJump(false),
      model(NULL),
      mvtType(MVT_TYPE_WALK),
      soundManager(soundManager),
      soundWalk(NULL),
      soundJump(NULL)
{
    std::vector<std::string> frameFiles;
    for (int frame = 1; frame <= NB_BODY_FRAMES; ++frame)
        frameFiles.push_back("obj_player/player_frame" + std::to_string(frame) + ".obj");
    model = new Animated3DModel(frameFiles, BODY_SCALE);
    // Without a sound manager there are no sounds to give: the checks below report it.
    if (soundManager != NULL)
        soundWalk = soundManager->getSound(WALK_SOUND_FILE);
    ASSERT(soundWalk != NULL, NULL);
    if (soundManager != NULL)
        soundJump = soundManager->getSound(JUMP_SOUND_FILE);
    ASSERT(soundJump != NULL, NULL);
    deviceManager->setMousePosition(windowCentre());
}

Player::~Player()
{
    delete model;
}

void Player::manage(Object3D const& obstacle)
{
    if (mvtType == MVT_TYPE_NONE)
        return;
    MovementParameters parameters;
    switch (mvtType)
    {
    case MVT_TYPE_WALK:
        parameters = WALK_PARAMETERS;
        break;
    case MVT_TYPE_CAR:
        parameters = CAR_PARAMETERS;
        break;
    case MVT_TYPE_FLY:
        parameters = FLY_PARAMETERS;
        break;
    default:
        // A mode outside the four, as a damaged game save can give.
        ASSERT(mvtType == MVT_TYPE_WALK, NULL);
    }

    HeldKeys const keys = sampleKeys_();
    float const period = framePeriod_();
    turn_(keys, period);
    jump_(keys, period);
    if (mvtType != MVT_TYPE_FLY)
        fallOrLand_(obstacle, period);
    if (mvtType != MVT_TYPE_CAR)
        accelerateLaterally_(keys, parameters.acceleration, period);
    accelerateForward_(keys, parameters.maxSpeed, parameters.acceleration, period);
    animate_(parameters.maxSpeed);
    Float3 candidate = horizontalCandidate_();
    if (mvtType == MVT_TYPE_FLY)
        flyVertically_(keys, period, candidate);
    moveOrStop_(obstacle, candidate);
}

Player::HeldKeys Player::sampleKeys_()
{
    bool const* const keys = deviceManager->getKeyboardManager()->keys;
    HeldKeys held;
    held.jump = keys[' '] || deviceManager->getMouseButton(GLManager::MOUSE_RIGHT_BUTTON);
    held.turnLeft = keys[KeyboardManager::KEYASCII_LEFT];
    held.turnRight = keys[KeyboardManager::KEYASCII_RIGHT];
    held.forward = keys[KeyboardManager::KEYASCII_UP] || isLetterHeld(keys, 'e');
    held.backward = keys[KeyboardManager::KEYASCII_DOWN] || isLetterHeld(keys, 'd');
    held.strafeLeft = isLetterHeld(keys, 's');
    held.strafeRight = isLetterHeld(keys, 'f');
    held.descend = isLetterHeld(keys, 'c');
    return held;
}

float Player::framePeriod_()
{
    float const period = static_cast<float>(deviceManager->getLastFramePeriod());
    return period > MAX_PERIOD ? MAX_PERIOD : period;
}

bool Player::isSolid_(Object3D const& obstacle, Float3 const& point) const
{
    // The world answers whether the destination point is inside a solid cube;
    // where it would put us is of no use to a point test.
    Float3 unused = point;
    return obstacle.isThere3DIntersection(getPosition(), point, unused);
}

void Player::turn_(HeldKeys const& keys, float period) const
{
    if (keys.turnLeft)
        sceneCamera().rotateY(TURN_RATE * period);
    else if (keys.turnRight)
        sceneCamera().rotateY(-TURN_RATE * period);
}

void Player::jump_(HeldKeys const& keys, float period)
{
    if (mvtType != MVT_TYPE_WALK || !keys.jump || !canJump)
        return;
    canJump = false;
    speed.y() = JUMP_RATE * period;
    soundJump->play(false);
}

void Player::fallOrLand_(Object3D const& obstacle, float period)
{
    speed.y() += -(GRAVITY_RATE * period * period) / GRAVITY_DIVISOR;
    Float3 candidate = getPosition();
    candidate.y() += speed.y();
    bool const feet = isSolid_(obstacle, candidate);
    bool const head = isSolid_(obstacle, candidate + Float3(0.f, HEAD_HEIGHT, 0.f));
    if (head)
    {
        speed.y() = 0.f;
        canJump = false;
    }
    else if (feet)
    {
        speed.y() = 0.f;
        canJump = true;
    }
    else
        setPosition(candidate);
}

void Player::accelerateLaterally_(HeldKeys const& keys, float acceleration, float period)
{
    float& lateral = speed.z();
    if (keys.strafeRight && lateral < LATERAL_SPEED_LIMIT)
        lateral += acceleration * period;
    else if (keys.strafeLeft && lateral > -LATERAL_SPEED_LIMIT)
        lateral -= acceleration * period;
    else if (!keys.strafeRight && !keys.strafeLeft)
        lateral = applyFriction(lateral, LATERAL_FRICTION_RATE * period);
}

void Player::accelerateForward_(HeldKeys const& keys, float maxSpeed, float acceleration, float period)
{
    float& forward = speed.x();
    // There is no reverse in flight: the backward key only lets the speed decay.
    bool const backward = keys.backward && mvtType != MVT_TYPE_FLY;
    if (keys.forward && forward < maxSpeed)
        forward += acceleration * period;
    else if (backward && forward > -maxSpeed)
        forward -= acceleration * period;
    else if (!keys.forward && !backward)
        forward = applyFriction(forward, FORWARD_FRICTION_RATE * period);
}

void Player::animate_(float maxSpeed)
{
    if (mvtType == MVT_TYPE_FLY)
    {
        model->setAnimationMinAndMaxIds(FLY_FIRST_FRAME, FLY_LAST_FRAME);
        model->setRunning(true);
        return;
    }
    model->setAnimationMinAndMaxIds(WALK_FIRST_FRAME, WALK_LAST_FRAME);
    if (mvtType == MVT_TYPE_CAR || !canJump)
    {
        stopAnimation_();
        return;
    }
    float const planarSpeed = std::sqrt(speed.x() * speed.x() + speed.z() * speed.z());
    // Footsteps only once the stride has begun, so a single tap of a key is silent.
    if (planarSpeed > 0.5f * maxSpeed && model->isRunning() && !soundWalk->isPlaying())
        soundWalk->play(false);
    if (planarSpeed > WALK_ANIMATION_THRESHOLD)
    {
        model->setRunning(true);
        model->setForward(false);
        model->setFramePeriod(static_cast<int>(WALK_FRAME_DURATION_FACTOR / planarSpeed));
    }
    else
        stopAnimation_();
}

Float3 Player::horizontalCandidate_() const
{
    float const yaw = sceneCamera().getAngleY();
    float const angle = (180.f - (yaw + 90.f)) * MathManager::PI / 180.f;
    float const side = angle + MathManager::PI / 2.f;
    Float3 candidate = getPosition();
    candidate.x() -= std::cos(angle) * speed.x();
    candidate.z() -= std::sin(angle) * speed.x();
    candidate.x() -= std::cos(side) * speed.z();
    candidate.z() -= std::sin(side) * speed.z();
    return candidate;
}

void Player::flyVertically_(HeldKeys const& keys, float period, Float3& candidate)
{
    if (keys.jump)
    {
        candidate.y() += FLY_CLIMB_RATE * period;
        speed.y() = 0.f;
    }
    else if (keys.descend)
    {
        candidate.y() -= FLY_CLIMB_RATE * period;
        speed.y() = 0.f;
    }
}

void Player::moveOrStop_(Object3D const& obstacle, Float3 const& candidate)
{
    Float3 const headRoom(0.f, HEAD_HEIGHT, 0.f);
    if (mvtType != MVT_TYPE_FLY && isSolid_(obstacle, candidate + headRoom))
    {
        stopAnimation_();
        return;
    }
    if (!isSolid_(obstacle, candidate))
    {
        setPosition(candidate);
        return;
    }
    stopAnimation_();
    stopHorizontally_();
    if (mvtType != MVT_TYPE_FLY)
        return;
    if (isSolid_(obstacle, candidate + Float3(0.f, FLY_STEP_OVER_HEIGHT, 0.f)) ||
        isSolid_(obstacle, candidate + headRoom))
        return;
    // A one-cube step with room above: fly over it, on by the attempted step again.
    Float3 const step = candidate - getPosition();
    setPosition(candidate + headRoom + step);
}

void Player::stopAnimation_()
{
    model->setRunning(false);
    model->setAnimationFrame(WALK_FIRST_FRAME);
}

void Player::stopHorizontally_()
{
    speed.x() = 0.f;
    speed.z() = 0.f;
    if (speed.y() > 0.f)
        speed.y() = 0.f;
}

void Player::draw() const
{
    if (cameraDistance <= MIN_DISTANCE_BODY_DRAWN)
        return;
    Scene3D* const scene = deviceManager->getScene3D();
    scene->setWireframeMode(false);
    scene->pushPosition();
    scene->setPosition(getPosition());
    scene->rotatePosition(0.f, scene->getCamera().getAngleY() + 180.f, 0.f);
    model->drawNoPos();
    scene->popPosition();
}

void Player::updateCamera(Object3D const&) const
{
    deviceManager->getScene3D()->updateCameraLookAtMode(getPosition() + Float3(0.f, HEAD_HEIGHT, 0.f),
                                                        cameraDistance);
}

void Player::injectKeyEvent(unsigned char key)
{
    int const lower = std::tolower(key);
    if (lower == 'p' && cameraDistance > 0.f)
    {
        // Closer than the head is in front of the face: stop at first person.
        cameraDistance -= CAMERA_DISTANCE_STEP;
        if (cameraDistance < 0.f)
            cameraDistance = 0.f;
    }
    else if (lower == 'm' && cameraDistance < CAMERA_DISTANCE_KEY_MAX)
        cameraDistance += CAMERA_DISTANCE_STEP;
}

void Player::injectMouseEvent(MouseEvent const& event)
{
    if (event.state == GLManager::MOUSE_BUTTON_DOWN)
    {
        if (event.button == GLManager::MOUSE_WHEEL_UP && cameraDistance > 0.f)
        {
            cameraDistance -= CAMERA_DISTANCE_STEP;
            if (cameraDistance < 0.f)
                cameraDistance = 0.f;
        }
        else if (event.button == GLManager::MOUSE_WHEEL_DOWN && cameraDistance < CAMERA_DISTANCE_WHEEL_MAX)
        {
            cameraDistance += CAMERA_DISTANCE_STEP;
            if (cameraDistance > CAMERA_DISTANCE_WHEEL_MAX)
                cameraDistance = CAMERA_DISTANCE_WHEEL_MAX;
        }
        return;
    }
    if (event.state != GLManager::MOUSE_MOVED_BUTTON_HELD && event.state != GLManager::MOUSE_MOVED_NO_BUTTON)
        return;
    // Mouse look: the pointer's offset from the centre turns the camera, and
    // the pointer goes back to the centre for the next move.
    Int2 const centre = windowCentre();
    Camera& camera = sceneCamera();
    camera.rotateX(-(event.position.y() - centre.y()) * MOUSE_LOOK_DEGREES_PER_PIXEL);
    camera.rotateY(-(event.position.x() - centre.x()) * MOUSE_LOOK_DEGREES_PER_PIXEL);
    if (camera.getAngleX() > MAX_PITCH)
        camera.setAngleX(MAX_PITCH);
    else if (camera.getAngleX() < -MAX_PITCH)
        camera.setAngleX(-MAX_PITCH);
    deviceManager->setMousePosition(centre);
}

Float3 Player::getPosition() const
{
    return model->getPosition();
}

void Player::setPosition(Float3 const& position)
{
    model->setPosition(position);
}

Player::MvtType Player::getMovementType() const
{
    return mvtType;
}

void Player::setMovementType(MvtType type)
{
    mvtType = type;
    speed = Float3(0.f, 0.f, 0.f);
}

bool Player::getCanJump() const
{
    return canJump;
}

Animated3DModel const& Player::getModel() const
{
    return *model;
}

void Player::saveGameSave(FILE* file) const
{
    Camera const& camera = sceneCamera();
    RecordWriter writer(file);
    writer.writeFloat3(getPosition());
    writer.writeFloat(camera.getAngleY());
    writer.writeFloat(camera.getAngleX());
    writer.writeInt32(mvtType);
}

void Player::loadGameSave(FILE* file)
{
    // Each field read replaces the current value; reading stops at the end of the file.
    Float3 position = getPosition();
    Camera& camera = sceneCamera();
    float yaw = camera.getAngleY();
    float pitch = camera.getAngleX();
    int32_t type = mvtType;
    int fieldsRead = 0;
    float* const floats[5] = {&position.x(), &position.y(), &position.z(), &yaw, &pitch};
    while (fieldsRead < 5 && RecordReader::tryReadFloat(file, *floats[fieldsRead]))
        ++fieldsRead;
    if (fieldsRead == 5 && RecordReader::tryReadInt32(file, type))
        ++fieldsRead;

    setPosition(position);
    if (fieldsRead >= 5)
        camera.setAngleX(pitch);
    if (fieldsRead >= 4)
        camera.setAngleY(yaw);
    mvtType = static_cast<MvtType>(type);
}
