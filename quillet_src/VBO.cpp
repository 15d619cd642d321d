#include "VBO.h"

#include "GLPlatform.h"

#include <cstring>
#include <iostream>

bool isExtensionSupport = false;
PFNGLGENBUFFERSARBPROC glGenBuffersARB_ = NULL;
PFNGLBINDBUFFERARBPROC glBindBufferARB_ = NULL;
PFNGLBUFFERDATAARBPROC glBufferDataARB_ = NULL;
PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB_ = NULL;

namespace
{
long drawCallCount = 0;

static_assert(sizeof(Float3) == 3 * sizeof(float), "positions are uploaded as packed floats");
static_assert(sizeof(Float2) == 2 * sizeof(float), "texture coordinates are uploaded as packed floats");

GLuint upload(void const* data, size_t bytes)
{
    GLuint buffer = 0;
    glGenBuffersARB_(1, &buffer);
    glBindBufferARB_(GL_ARRAY_BUFFER_ARB, buffer);
    glBufferDataARB_(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(bytes), data, GL_STATIC_DRAW_ARB);
    return buffer;
}
}

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
    if (isExtensionSupport)
    {
        // Looked up only now: on Windows an entry point of an extension the
        // context does not name may be returned all the same, and unusable.
        auto lookup = [](char const* name) { return GLPlatform::getProcAddress(name); };
        glGenBuffersARB_ = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(lookup("glGenBuffersARB"));
        glBindBufferARB_ = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(lookup("glBindBufferARB"));
        glBufferDataARB_ = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(lookup("glBufferDataARB"));
        glDeleteBuffersARB_ = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(lookup("glDeleteBuffersARB"));
        // An implementation naming the extension without its entry points cannot be used either.
        isExtensionSupport = glGenBuffersARB_ != NULL && glBindBufferARB_ != NULL && glBufferDataARB_ != NULL &&
                             glDeleteBuffersARB_ != NULL;
    }
    if (!isExtensionSupport)
        std::cout << "!!! ERROR !!! vertex buffer objects are not supported, nothing will be displayed." << std::endl;
}

VBO::VBO(int nbVertices, Float3 const* vertices, Float2 const* texCoords, int texture, bool quads)
    : vertexBuffer(0), texCoordBuffer(0), nbVertices(nbVertices), texture(texture), quads(quads)
{
    if (!isExtensionSupport)
        return;
    vertexBuffer = upload(vertices, size_t(nbVertices) * sizeof(Float3));
    texCoordBuffer = upload(texCoords, size_t(nbVertices) * sizeof(Float2));
    glBindBufferARB_(GL_ARRAY_BUFFER_ARB, 0);
}

VBO::~VBO()
{
    if (!isExtensionSupport)
        return;
    glDeleteBuffersARB_(1, &vertexBuffer);
    glDeleteBuffersARB_(1, &texCoordBuffer);
}

void VBO::draw() const
{
    // A VBO made before the support was found has no buffer: drawing it would
    // read the vertices from address 0.
    if (!isExtensionSupport || vertexBuffer == 0)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBufferARB_(GL_ARRAY_BUFFER_ARB, vertexBuffer);
    glVertexPointer(3, GL_FLOAT, 0, NULL);
    glBindBufferARB_(GL_ARRAY_BUFFER_ARB, texCoordBuffer);
    glTexCoordPointer(2, GL_FLOAT, 0, NULL);
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    glDrawArrays(quads ? GL_QUADS : GL_TRIANGLES, 0, nbVertices);
    ++drawCallCount;
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    // Later immediate-mode and client-array drawing must not read from this buffer.
    glBindBufferARB_(GL_ARRAY_BUFFER_ARB, 0);
}

int VBO::getNbVertices() const
{
    return nbVertices;
}

int VBO::getTexture() const
{
    return texture;
}

bool VBO::isQuads() const
{
    return quads;
}

long VBO::getDrawCallCount()
{
    return drawCallCount;
}

void VBO::resetDrawCallCount()
{
    drawCallCount = 0;
}
