#ifndef VBO_H
#define VBO_H

// Vertex-buffer support of the OpenGL implementation: whether it offers
// GL_ARB_vertex_buffer_object and the entry points that use it.

#include <GL/gl.h>
#include <GL/glext.h>

extern bool isExtensionSupport;
extern PFNGLGENBUFFERSARBPROC glGenBuffersARB_;
extern PFNGLBINDBUFFERARBPROC glBindBufferARB_;
extern PFNGLBUFFERDATAARBPROC glBufferDataARB_;
extern PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB_;

class VBO
{
public:
    // Finds the entry points; called once after the OpenGL context exists.
    static void checkAndInit();
    // True when the extension string names the extension as a whole word.
    static bool extensionStringHasVertexBuffers(char const* extensions);
};

#endif
