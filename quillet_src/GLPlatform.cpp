#include "GLPlatform.h"

#ifdef _WIN32
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
#else
bool GLPlatform::hasCurrentContext()
{
    return glXGetCurrentContext() != NULL;
}

void* GLPlatform::getProcAddress(char const* name)
{
    return reinterpret_cast<void*>(glXGetProcAddress(reinterpret_cast<GLubyte const*>(name)));
}
#endif
