#ifndef GLPLATFORM_H
#define GLPLATFORM_H

// The few OpenGL calls that differ between the window systems: whether this
// thread has a current context, and the address of an extension entry point
// (GLX on Linux, WGL on Windows). Stateless.

class GLPlatform
{
public:
    static bool hasCurrentContext();
    // The entry point's address, or null when the implementation has none by that name.
    static void* getProcAddress(char const* name);
};

#endif
