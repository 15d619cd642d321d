#ifndef GLPLATFORM_H
#define GLPLATFORM_H

// The few OpenGL calls that differ between the window systems: whether this
// thread has a current context, the address of an extension entry point (GLX
// on Linux, WGL on Windows), and making the entry points beyond OpenGL 1.1
// callable (GLEW on Windows, whose OpenGL library offers only 1.1). Stateless.

class GLPlatform
{
public:
    static bool hasCurrentContext();
    // The entry point's address, or null when the implementation has none by that name.
    static void* getProcAddress(char const* name);
    // Once the window's context exists; a failure is fatal.
    static void loadEntryPoints();
};

#endif
