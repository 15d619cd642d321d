#include "GLManager.h"

#include "Errors.h"
#include "GLPlatform.h"
#include "KeyboardManager.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "SpriteManager.h"
#include "Utils.h"
#include "VBO.h"

#ifdef _WIN32
#include "DisplayMode.h"

#include <windows.h>
#endif
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>

Scene2D* scene2D = NULL;
Scene3D* scene3D = NULL;
SpriteManager* spriteManager = NULL;
KeyboardManager* keyboardManager = NULL;
Int2 windowSize;
bool fullscreenMode = false;
bool modeFullscreenGlut = false;
Int2 mouseRealPosition;
Int2 mousePosition;
bool mouseButton[3] = {false, false, false};
std::vector<MouseEvent> mouseEvents;
void (*mouseEventFunction)(int button, int state, int x, int y) = NULL;
void (*mouseMotionFunction)(Int2 const& windowPosition, bool buttonHeld) = NULL;
int64_t clockTime = 0;
int64_t timeLastFrame = 0;
int64_t periodFrame = 0;
#ifdef _WIN32
bool displayModeSwitched = false;
#endif

namespace
{
void reshapeFunc(int width, int height)
{
    std::cout << "Rescaling to (" << width << "," << height << ")" << std::endl;
    windowSize = Int2(width, height);
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT);
    glFlush();
    glutPostRedisplay();
    scene2D->injectWindowSize(windowSize);
    scene3D->setAspectRatio(float(width) / float(height));
}

void mouseFunc(int button, int state, int x, int y)
{
    if (mouseEventFunction != NULL)
        mouseEventFunction(button, state, x, y);
    bool const released = state == GLUT_UP;
    mouseEvents.push_back(MouseEvent(Int2(x, y), button,
                                     released ? GLManager::MOUSE_BUTTON_UP : GLManager::MOUSE_BUTTON_DOWN));
    if (button >= 0 && button < 3)
        mouseButton[button] = !released;
}

void pointerMoved(int x, int y, bool buttonHeld)
{
    mouseRealPosition = Int2(x, y);
    if (mouseMotionFunction != NULL)
        mouseMotionFunction(mouseRealPosition, buttonHeld);
    mouseEvents.push_back(MouseEvent(Int2(x, y), -1,
                                     buttonHeld ? GLManager::MOUSE_MOVED_BUTTON_HELD
                                                : GLManager::MOUSE_MOVED_NO_BUTTON));
    mousePosition = scene2D->convertPositionInWindowToVirtualPosition(mouseRealPosition);
}

void motionFunc(int x, int y)
{
    pointerMoved(x, y, true);
}

void passiveMotionFunc(int x, int y)
{
    pointerMoved(x, y, false);
}

// freeglut stops a window without a display callback; this one draws nothing,
// since every frame is drawn by the game loop between pumps.
void displayFunc()
{
}

void writeExtensionReport()
{
    FILE* report = fopen("extensions.txt", "wt");
    if (report == NULL)
        return;
    char const* extensions = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
    fprintf(report, "supported:%s :", extensions ? extensions : "");
    fclose(report);
}

void setFixedOpenGLState()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_FOG);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);
    glPolygonMode(GL_BACK, GL_POINT);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_CULL_FACE);
}

#ifdef _WIN32
static_assert((DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT) == DisplayMode::FIELDS_BITS_WIDTH_HEIGHT,
              "the mode record gives bits per pixel, width and height");

// Prints the announcement and switches the primary display to the record's mode.
void switchDisplay(DisplayMode::Record const& record, std::string const& announcement)
{
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof(device);
    bool primaryFound = false;
    for (DWORD index = 0; !primaryFound && EnumDisplayDevicesW(NULL, index, &device, 0); ++index)
        primaryFound = (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsW(primaryFound ? device.DeviceName : NULL, ENUM_CURRENT_SETTINGS, &mode))
        std::cout << DisplayMode::enumSettingsFailedLine(GetLastError()) << std::flush;
    mode.dmBitsPerPel = static_cast<DWORD>(record.bitsPerPixel);
    mode.dmPelsWidth = static_cast<DWORD>(record.width);
    mode.dmPelsHeight = static_cast<DWORD>(record.height);
    mode.dmFields = static_cast<DWORD>(record.fields);
    std::cout << announcement << std::flush;
    ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN);
}

// Prints the announcement and gives the desktop back its own mode.
void restoreDisplay(std::string const& announcement)
{
    std::cout << announcement << std::flush;
    ChangeDisplaySettingsW(NULL, CDS_FULLSCREEN);
}

// Puts the active window, when there is one, on top at that place and size.
void placeActiveWindow(Int2 const& position, Int2 const& size)
{
    HWND const window = GetActiveWindow();
    if (window == NULL)
        return;
    std::cout << DisplayMode::WINDOW_FOUND_LINE << std::flush;
    SetWindowPos(window, HWND_TOPMOST, position.x(), position.y(), size.x(), size.y(), SWP_SHOWWINDOW);
}

// The window toolkit ends the process through the run-time library's exit,
// which runs the program's atexit functions and static destructors.
void startToolkit(int* argc, char** argv)
{
    // The toolkit takes an X11 DISPLAY variable (set under Wine, or by an X
    // server installed for other programs) for the name of a Windows display
    // device, fails to open it and warns; Windows programs have no use for it.
    _putenv("DISPLAY=");
    __glutInitWithExit(argc, argv, exit);
}

int createWindow(char const* title)
{
    return __glutCreateWindowWithExit(title, exit);
}
#else
void startToolkit(int* argc, char** argv)
{
    glutInit(argc, argv);
}

int createWindow(char const* title)
{
    return glutCreateWindow(title);
}
#endif
}

GLManager::GLManager()
{
    scene2D = new Scene2D();
    scene2D->set2DMode();
    spriteManager = new SpriteManager();
    scene3D = new Scene3D();
    keyboardManager = new KeyboardManager();
}

GLManager::~GLManager()
{
    delete spriteManager;
    delete scene2D;
    delete scene3D;
    delete keyboardManager;
    spriteManager = NULL;
    scene2D = NULL;
    scene3D = NULL;
    keyboardManager = NULL;
}

void GLManager::init(std::string const& programPath, char const* windowTitle, int width, int height,
                     bool fullscreen)
{
    int argc = 1;
    std::string programPathCopy = programPath;
    char* argv[] = {&programPathCopy[0], NULL};
    startToolkit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutInitWindowSize(width, height);
    windowSize = Int2(width, height);
    createWindow(windowTitle);
    // Closing the window must not end the process from inside the pump: the
    // game shuts down in order (the script's farewell, a pending save) once
    // it sees isWindowDestroyed().
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutDisplayFunc(displayFunc);
    glutMouseFunc(mouseFunc);
    glutMotionFunc(motionFunc);
    glutPassiveMotionFunc(passiveMotionFunc);

    setFixedOpenGLState();
    writeExtensionReport();
    glEnable(GL_MULTISAMPLE_ARB);
    if (GLPlatform::getProcAddress("wglChoosePixelFormatARB") == NULL)
        Errors::printError("extension not available", true);
    VBO::checkAndInit();
    glutReshapeWindow(width, height);
    keyboardManager->init();
    GLPlatform::loadEntryPoints();
    scene2D->injectWindowSize(windowSize);
    scene2D->setOrtho2DSize(windowSize);
    // Desktop-sized fullscreen when asked at -1 x -1; Windows also switches to an explicit size.
    if (fullscreen)
        setMode(true, width, height);
}

int GLManager::pacingSleepMs(int64_t elapsedUs)
{
    if (elapsedUs > 9999)
        return 0;
    // The wall clock set back makes the gap negative: one frame's pause, not
    // a freeze for as long as the clock went back.
    if (elapsedUs < 0)
        return 10;
    return static_cast<int>(10 - elapsedUs / 1000);
}

int64_t GLManager::clampFramePeriod(int64_t periodUs)
{
    return periodUs > MAX_FRAME_PERIOD ? MAX_FRAME_PERIOD : periodUs;
}

int GLManager::loopEvent()
{
    // A closed window has nothing left to swap or deliver.
    if (isWindowDestroyed())
    {
        keyboardManager->keyEvents.clear();
        mouseEvents.clear();
        return 0;
    }
    int const width = glutGet(GLUT_WINDOW_WIDTH);
    int const height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width != windowSize.x() || height != windowSize.y())
        reshapeFunc(width, height);

    keyboardManager->keyEvents.clear();
    mouseEvents.clear();

    int const sleepMs = pacingSleepMs(Utils::getMicrosecondTime() - clockTime);
    if (sleepMs > 0)
        Utils::sleepMs(static_cast<unsigned>(sleepMs));

    int64_t const tA = Utils::getMicrosecondTime();
    glutSwapBuffers();
    int64_t const tB = Utils::getMicrosecondTime();

    glutMainLoopEvent();

    int64_t const tC = Utils::getMicrosecondTime();
    clockTime = tC;
    periodFrame = clampFramePeriod(tC - timeLastFrame);
    timeLastFrame = tC;

    glColor4ub(255, 255, 255, 255);
    glRasterPos2i(0, windowSize.y());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return static_cast<int>(tB - tA);
}

std::vector<MouseEvent> const& GLManager::getMouseEvents() const
{
    return mouseEvents;
}

int64_t GLManager::getLastFramePeriod() const
{
    return periodFrame;
}

Int2 GLManager::getMousePosition() const
{
    return mousePosition;
}

bool GLManager::getMouseButton(int button) const
{
    if (button < 0 || button > 2)
        return false;
    return mouseButton[button];
}

void GLManager::setMousePressedEventFunction(void (*function)(int button, int state, int x, int y))
{
    mouseEventFunction = function;
}

void GLManager::setMouseMotionEventFunction(void (*function)(Int2 const& windowPosition, bool buttonHeld))
{
    mouseMotionFunction = function;
}

Int2 GLManager::getWindowRealSize() const
{
    return windowSize;
}

bool GLManager::isFullscreen() const
{
    return fullscreenMode;
}

bool GLManager::isWindowDestroyed() const
{
    return glutGetWindow() == 0;
}

Scene2D* GLManager::getScene2D() const
{
    return scene2D;
}

Scene3D* GLManager::getScene3D() const
{
    return scene3D;
}

SpriteManager* GLManager::getSpriteManager() const
{
    return spriteManager;
}

KeyboardManager* GLManager::getKeyboardManager() const
{
    return keyboardManager;
}

#ifdef _WIN32
void GLManager::setMode(bool fullscreen, int width, int height)
{
    DisplayMode::Flags flags;
    flags.fullscreenMode = fullscreenMode;
    flags.modeFullscreenGlut = modeFullscreenGlut;
    flags.displaySwitched = displayModeSwitched;
    DisplayMode::Plan const plan = DisplayMode::plan(fullscreen, width, height, flags);
    switch (plan.change)
    {
    case DisplayMode::Change::None:
        return;
    case DisplayMode::Change::DesktopFullscreen:
        glutFullScreen();
        break;
    case DisplayMode::Change::SwitchDisplay:
        switchDisplay(plan.record, plan.announcement);
        placeActiveWindow(plan.windowPosition, plan.windowSize);
        break;
    case DisplayMode::Change::RestoreDisplay:
        restoreDisplay(plan.announcement);
        placeActiveWindow(plan.windowPosition, plan.windowSize);
        break;
    }
    fullscreenMode = plan.flagsAfter.fullscreenMode;
    modeFullscreenGlut = plan.flagsAfter.modeFullscreenGlut;
    displayModeSwitched = plan.flagsAfter.displaySwitched;
}
#else
void GLManager::setMode(bool fullscreen, int width, int height)
{
    // Only the desktop-sized fullscreen exists on this platform, and there is no way back.
    if (!fullscreen || width != -1 || height != -1)
        return;
    glutFullScreen();
    modeFullscreenGlut = true;
    fullscreenMode = true;
}
#endif

void GLManager::setMouseCursorVisible(bool visible)
{
    glutSetCursor(visible ? GLUT_CURSOR_RIGHT_ARROW : GLUT_CURSOR_NONE);
}

void GLManager::setMousePosition(Int2 const& position)
{
    glutWarpPointer(position.x(), position.y());
}

Color4 GLManager::getColor() const
{
    GLfloat color[4] = {0.f, 0.f, 0.f, 0.f};
    glGetFloatv(GL_CURRENT_COLOR, color);
    return Color4(static_cast<unsigned char>(color[0] * 255), static_cast<unsigned char>(color[1] * 255),
                  static_cast<unsigned char>(color[2] * 255), static_cast<unsigned char>(color[3] * 255));
}

void GLManager::setColor(Color4 const& color)
{
    glColor4ub(color[0], color[1], color[2], color[3]);
}

void GLManager::setColor(unsigned char alpha, unsigned char red, unsigned char green, unsigned char blue)
{
    glColor4ub(red, green, blue, alpha);
}

void GLManager::clearBackground(Color4 const& color)
{
    glClearColor(color[0] / 255.f, color[1] / 255.f, color[2] / 255.f, color[3] / 255.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

int GLManager::loadTexture(int width, int height, unsigned char* data, bool alpha)
{
    ASSERT(data != NULL, NULL);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    GLenum const format = alpha ? GL_RGBA : GL_RGB;
    int const mipmapres = gluBuild2DMipmaps(GL_TEXTURE_2D, format, width, height, format, GL_UNSIGNED_BYTE, data);
    ASSERT(mipmapres == 0, NULL);
    return static_cast<int>(texture);
}

void GLManager::unloadTexture(int texture)
{
    GLuint const name = static_cast<GLuint>(texture);
    glDeleteTextures(1, &name);
}
