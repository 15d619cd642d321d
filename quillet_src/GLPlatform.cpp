#include "GLPlatform.h"

#ifdef _WIN32
#include "Errors.h"

// Before any other OpenGL header, as GLEW requires.
#include <GL/glew.h>
#include <windows.h>
#else
#include <GL/glx.h>
#endif

#ifdef _WIN32
bool GLPlatform::hasCurrentContext()
{
    return wglGetCurrentContext() != NULL;
}

void* GLPlatform::getProcAddress(char const* name)
{
    return reinterpret_cast<void*>(wglGetProcAddress(name));
}

void GLPlatform::loadEntryPoints()
{
    GLenum const glewStatus = glewInit();
    ASSERT(glewStatus == GLEW_OK, reinterpret_cast<char const*>(glewGetErrorString(glewStatus)));
}
#else
bool GLPlatform::hasCurrentContext()
{
    return glXGetCurrentContext() != NULL;
}

void* GLPlatform::getProcAddress(char const* name)
{
    return reinterpret_cast<void*>(glXGetProcAddress(reinterpret_cast<GLubyte const*>(name)));
}

// Linux links the OpenGL entry points directly.
void GLPlatform::loadEntryPoints()
{
}
#endif
