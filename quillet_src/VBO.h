#ifndef VBO_H
#define VBO_H

// One OpenGL vertex buffer pair (positions, texture coordinates) holding the
// quads or triangles of one texture, and the process-wide vertex-buffer
// support: whether the implementation offers GL_ARB_vertex_buffer_object and
// its entry points. Without support every VBO keeps its description but
// uploads and draws nothing.

#include "BasicVector.h"

#include <GL/gl.h>
#include <GL/glext.h>

// Named with a trailing underscore: a global named exactly like a libGL
// function would interpose on libGL's own symbol.
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

    // Uploads nbVertices positions and texture coordinates.
    VBO(int nbVertices, Float3 const* vertices, Float2 const* texCoords, int texture, bool quads);
    ~VBO();
    VBO(VBO const&) = delete;
    VBO& operator=(VBO const&) = delete;

    // One draw call of all the vertices with the texture bound.
    void draw() const;

    int getNbVertices() const;
    int getTexture() const;
    bool isQuads() const;

    // The number of draw calls made by all VBOs since the last reset: lets
    // callers and tests check how the geometry is batched.
    static long getDrawCallCount();
    static void resetDrawCallCount();

private:
    GLuint vertexBuffer;
    GLuint texCoordBuffer;
    int nbVertices;
    int texture;
    bool quads;
};

#endif
