#ifndef SCENE3D_H
#define SCENE3D_H

// The engine's 3-D drawing state: the perspective projection and its camera,
// fog, eight point lights, the matrix-stack helpers every drawing class uses,
// display lists, render to texture, a few primitives (segment, cylinders) and
// the immediate-mode box, face, plane and triangle drawing. One Scene3D exists,
// owned by the GLManager. It owns the camera and a GLU quadric.

#include "AdvancedBox.h"
#include "BasicVector.h"
#include "Camera.h"

#include <vector>

class Object3D;
struct GLUquadric;

// Side of the square viewport used by render to texture.
extern int sizeRenderToTexture;

class Scene3D
{
public:
    static constexpr int NB_LIGHTS = 8;
    // drawPlane keeps the current texture binding when given this value.
    static constexpr unsigned KEEP_CURRENT_TEXTURE = 0xFFFFFFFFu;

    // Needs no OpenGL context: the fixed OpenGL state it sets up is applied by
    // the first camera update (the window is opened after the scene exists).
    Scene3D();
    ~Scene3D();
    Scene3D(Scene3D const&) = delete;
    Scene3D& operator=(Scene3D const&) = delete;

    // Projection and camera
    void setFOV(float degrees);
    float getFOV() const;
    // The field of view widened by the 2-D scene's width / height.
    float getHorizontalFOV() const;
    void setAspectRatio(float ratio);
    float getAspectRatio() const;
    void setFarPlaneDistance(float distance);
    float getFarPlaneDistance() const;
    Camera& getCamera();
    Camera const& getCamera() const;
    void set3DMode();
    void updateCamera();
    // Third-person view: the camera sits distance away from target along its angles.
    void updateCameraLookAtMode(Float3 const& target, float distance);
    // Turns a share of the way to targetAngles, the share growing with the frame period.
    void setSlowlyCameraAngle(Float3 const& targetAngles);
    void injectMouseMotionForCameraAngle(Int2 const& mousePosition, bool rotate);
    float updateCameraDebugFPSVisionAndManageFall(Object3D* obstacle);

    // Matrix helpers
    // Loads the view saved by the last camera update, then translates by p.
    void setPosition(Float3 const& p);
    void movePosition(Float3 const& delta);
    // Degrees: about x, then y, then z.
    void rotatePosition(float angleX, float angleY, float angleZ);
    void pushPosition();
    void popPosition();

    // Render state
    void setWireframeMode(bool on);
    void setLighting(bool on);
    // Blending and the alpha test are on in the fixed state; geometry whose
    // pictures are wholly opaque is drawn faster with both off, and looks the
    // same as long as the current colour is opaque (polygon smoothing, which
    // would thin the edges' alpha, does nothing while multisampling is on).
    void setBlendingAndAlphaTest(bool on);
    bool getLighting() const;
    // distance <= 0 gives a light without attenuation.
    void configureLight(int index, bool enabled, Float3 const& position, float distance);
    void updateLight();

    // Fog
    void setFogEnable(float maxDistance, Color4 const& color, bool exponential);
    void setFogDisable();
    bool isFogEnabled() const;
    float getFogMaxDistance() const;
    void adjustFog(float divisor, float factor);

    // Display lists and textures
    unsigned createAndBeginDrawList();
    void endDrawList();
    void callDrawList(unsigned id);
    void removeDrawList(unsigned id);
    unsigned generateNewTexture();

    // Render to texture: draw between the two calls.
    void startRenderToTexture(int size);
    void stopRenderToTexture(unsigned textureId);

    // Primitives
    void draw3DSegment(Float3 const& a, Float3 const& b);
    void drawCylinder(unsigned texture, float radius, float height, int slices, int stacks);
    void drawCylinderWithIntPos(unsigned texture, Int2 const& position, float angle, float radius, float height,
                                int slices, int stacks);

    // Debug moves of the camera (library aids; the game does not use them)
    void injectKeyForDebug(unsigned char key);
    void injectKeyForDebugCollision(unsigned char key, Object3D* obstacle);
    void injectKeyForDebugFPSCollision(unsigned char key, Object3D* obstacle);

    // Boxes and faces. Face index: 0 top (+y), 1 bottom (-y), 2 front (+z),
    // 3 back (-z), 4 left (-x), 5 right (+x). textures holds six ids in face
    // order, or is null for a wireframe box.
    void drawCube(Float3 const& size, unsigned const* textures, Float3 const& repeat, bool inverted);
    void drawCube2(Float3 const& size, unsigned const* textures, Float3 const& repeat, bool inverted,
                   bool strictAlpha);
    // One face of the box of size centred at position, drawn only if it may be
    // in view; texture 0 draws it as wireframe. Returns whether it was drawn.
    bool drawCubeFace(Float3 const& size, unsigned texture, Float3 const& repeat, int face, Float3 const& position);
    // 24 vertices and texture coordinates: four per face, faces in order.
    static void getVerticesAndTexCoordCube(Float3* vertices, Float2* texCoords, Float3 const& repeat,
                                           Float3 const& halfExtents);
    // The four corners of a face and their texture coordinates; mappingB
    // selects the mapping of drawCube2 rather than that of drawCube.
    static void getFace(int face, Float3 const& halfExtents, Float3 const& repeat, bool mappingB, Float3* corners,
                        Float2* texCoords);
    // Whether a face with these four corners (world units) may be seen by
    // camera, whose half horizontal field of view is halfFovRadians.
    static bool isFaceVisible(Camera const& camera, Float3 const* corners, float halfFovRadians);

    // A horizontal quad at y = 0; size.y is its extent along z.
    void drawPlane(Float2 const& size, unsigned texture, Float2 const& repeat, Float3 const& rotation,
                   bool facingDown);

    // Triangle lists: texture < 0 draws them untextured.
    void startDrawingTriangles(int texture);
    void drawTriangles_requireStartDrawing(std::vector<Float3> const& vertices, float scale);
    void stopDrawingTriangles();
    void drawTriangles(std::vector<Float3> const& vertices, int texture, float scale);

    // Window-unit drawing for sprites placed in the 3-D world.
    void drawFaceWithIntPos(unsigned texture, AdvancedBox const& box, bool flipX, bool flipY);
    void drawCube5FacesWithIntPos(unsigned frontTexture, unsigned topTexture, unsigned bottomTexture,
                                  AdvancedBox const& box, int halfDepth);

private:
    void applyInitialOpenGLState_();
    void emitFace_(int face, Float3 const& halfExtents, Float3 const& repeat, bool mappingB, float side);
    void drawBox_(Float3 const& size, unsigned const* textures, Float3 const& repeat, bool inverted, bool mappingB);

    float fieldOfView;
    GLUquadric* quadric;
    bool lightingEnabled;
    float debugYaw;
    Int2 lastMousePosition;
    float aspectRatio;
    // The model-view matrix of the last camera update: setPosition starts from it.
    float viewMatrix[16];
    float lightPositions[NB_LIGHTS][4];
    bool lightEnabled[NB_LIGHTS];
    float lightDistance[NB_LIGHTS];
    float farPlaneDistance;
    Camera camera;
    float fogMaxDistance;
    // The constructor may run before the window exists; its OpenGL set-up is
    // then done once, by the first camera update.
    bool openGLStateApplied;
};

#endif
