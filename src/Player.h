#ifndef PLAYER_H
#define PLAYER_H

// The avatar the user steers through the cube world when the editor is off:
// it walks, drives or flies, falls, jumps and collides with the world's solid
// cubes, plays its body animation and its footstep and jump sounds, places the
// third-person camera and writes its record of a game save. It owns its body
// model (whose position is the player's position, at the feet); its sounds
// belong to the sound manager. The window, keyboard and camera are the global
// device manager's.
//
// Movement is per frame: a speed is a distance added once per manage call,
// while accelerations, friction, turning, jumping and gravity scale with the
// frame period. All arithmetic is single-precision.

#include "BasicVector.h"

#include <cstdint>
#include <cstdio>

class Animated3DModel;
class MouseEvent;
class Object3D;
class SoundManager;
class Sound_Abstract;

class Player
{
public:
    // Fixed underlying type: a game save may hold any 32-bit value, which is
    // stored as it is and judged by the next manage call.
    enum MvtType : int32_t
    {
        MVT_TYPE_WALK = 0,
        MVT_TYPE_CAR = 1,
        MVT_TYPE_FLY = 2,
        MVT_TYPE_NONE = 3
    };

    // Bytes of the player's record at the start of a game save.
    static constexpr int GAME_SAVE_RECORD_SIZE = 24;
    // Frames never count as longer than this (microseconds).
    static constexpr float MAX_PERIOD = 100000.f;
    static constexpr float TURN_RATE = 0.00018f;
    static constexpr float JUMP_RATE = 0.000125f;
    static constexpr float GRAVITY_RATE = 0.000003f;
    static constexpr float GRAVITY_DIVISOR = 10000.f;
    static constexpr float LATERAL_SPEED_LIMIT = 0.1f;
    static constexpr float LATERAL_FRICTION_RATE = 0.00002f;
    static constexpr float FORWARD_FRICTION_RATE = 0.00001f;
    static constexpr float FLY_CLIMB_RATE = 0.00005f;
    // Height of the second collision point and of the camera target above the feet.
    static constexpr float HEAD_HEIGHT = 10.f;
    // How much free room above a blocked fly move lets the player step over it.
    static constexpr float FLY_STEP_OVER_HEIGHT = 20.f;
    static constexpr float WALK_ANIMATION_THRESHOLD = 0.1f;
    // Frame duration of the walk cycle, in milliseconds, is this over the planar speed.
    static constexpr float WALK_FRAME_DURATION_FACTOR = 50.f;
    static constexpr float MOUSE_LOOK_DEGREES_PER_PIXEL = 0.5f;
    static constexpr float MAX_PITCH = 90.f;
    static constexpr float CAMERA_DISTANCE_STEP = 5.f;
    static constexpr float CAMERA_DISTANCE_KEY_MAX = 60.f;
    static constexpr float CAMERA_DISTANCE_WHEEL_MAX = 90.f;
    // A closer camera is a first-person view, without the body.
    static constexpr float MIN_DISTANCE_BODY_DRAWN = 1.f;
    static constexpr float BODY_SCALE = 0.3f;

    // Loads the body and the two sounds; a sound the manager cannot give is a
    // contract failure. Puts the mouse pointer at the window centre.
    explicit Player(SoundManager* soundManager);
    ~Player();
    Player(Player const&) = delete;
    Player& operator=(Player const&) = delete;

    // One frame of movement against the obstacle's point tests; allocates nothing.
    void manage(Object3D const& obstacle);
    void draw() const;
    // Puts the scene camera behind the player's head at cameraDistance.
    void updateCamera(Object3D const& obstacle) const;
    // 'p' brings the camera closer, 'm' moves it away.
    void injectKeyEvent(unsigned char key);
    // The wheel moves the camera; pointer motion turns it (mouse look).
    void injectMouseEvent(MouseEvent const& event);

    Float3 getPosition() const;
    // No collision test.
    void setPosition(Float3 const& position);
    MvtType getMovementType() const;
    // Also stops the player, even when the mode does not change.
    void setMovementType(MvtType type);

    // The player's record of a game save at the file's current position:
    // position, camera yaw, camera pitch, movement type, little-endian.
    void saveGameSave(FILE* file) const;
    // Reads the same record; a record cut short leaves the fields past its
    // end as they were. Speeds and the jump state are not stored.
    void loadGameSave(FILE* file);

    // x forward along the view, y vertical, z lateral (positive to the right).
    Float3 speed;
    float cameraDistance;

    bool getCanJump() const;
    Animated3DModel const& getModel() const;

private:
    // What the movement keys ask for this frame.
    struct HeldKeys
    {
        bool jump = false;
        bool turnLeft = false;
        bool turnRight = false;
        bool forward = false;
        bool backward = false;
        bool strafeLeft = false;
        bool strafeRight = false;
        bool descend = false;
    };

    static HeldKeys sampleKeys_();
    static float framePeriod_();
    // Is the point inside the obstacle's solid part?
    bool isSolid_(Object3D const& obstacle, Float3 const& point) const;
    void turn_(HeldKeys const& keys, float period) const;
    void jump_(HeldKeys const& keys, float period);
    void fallOrLand_(Object3D const& obstacle, float period);
    void accelerateLaterally_(HeldKeys const& keys, float acceleration, float period);
    void accelerateForward_(HeldKeys const& keys, float maxSpeed, float acceleration, float period);
    void animate_(float maxSpeed);
    Float3 horizontalCandidate_() const;
    void flyVertically_(HeldKeys const& keys, float period, Float3& candidate);
    void moveOrStop_(Object3D const& obstacle, Float3 const& candidate);
    void stopAnimation_();
    void stopHorizontally_();

    // Set by landing, cleared by a jump or a ceiling: the player must touch
    // the ground once before it can jump.
    bool canJump;
    Animated3DModel* model;
    MvtType mvtType;
    SoundManager* soundManager;
    Sound_Abstract* soundWalk;
    Sound_Abstract* soundJump;
};

#endif
