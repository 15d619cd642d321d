#include "VBO.h"

#include <GL/glx.h>
#include <cstring>
#include <iostream>

bool isExtensionSupport = false;
PFNGLGENBUFFERSARBPROC glGenBuffersARB_ = NULL;
PFNGLBINDBUFFERARBPROC glBindBufferARB_ = NULL;
PFNGLBUFFERDATAARBPROC glBufferDataARB_ = NULL;
PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB_ = NULL;

bool VBO::extensionStringHasVertexBuffers(char const* extensions)
{
    if (extensions == NULL)
        return false;
    static char const name[] = "GL_ARB_vertex_buffer_object";
    size_t const length = sizeof(name) - 1;
    for (char const* found = strstr(extensions, name); found != NULL; found = strstr(found + 1, name))
    {
        bool const startsWord = found == extensions || found[-1] == ' ';
        bool const endsWord = found[length] == ' ' || found[length] == 0;
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

void VBO::checkAndInit()
{
    char const* extensions = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
    isExtensionSupport = extensionStringHasVertexBuffers(extensions);
    if (!isExtensionSupport)
    {
        std::cout << "!!! ERROR !!! vertex buffer objects are not supported, nothing will be displayed." << std::endl;
        return;
    }
    auto lookup = [](char const* name) { return glXGetProcAddress(reinterpret_cast<GLubyte const*>(name)); };
    glGenBuffersARB_ = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(lookup("glGenBuffersARB"));
    glBindBufferARB_ = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(lookup("glBindBufferARB"));
    glBufferDataARB_ = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(lookup("glBufferDataARB"));
    glDeleteBuffersARB_ = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(lookup("glDeleteBuffersARB"));
}
