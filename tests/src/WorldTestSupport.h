#ifndef WORLDTESTSUPPORT_H
#define WORLDTESTSUPPORT_H

// What the cube world tests share: a working folder holding the textures that
// cube types load (small PNG pictures written here), the window the sprites
// need, and a script interface that records the functions called.

#include "LuaFuncs.h"
#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace WorldTestSupport
{
// A 2 x 2 picture of one colour.
void writeSolidPng(std::string const& path, unsigned char red, unsigned char green, unsigned char blue,
                   unsigned char alpha);

// Makes a fresh working folder with the shadow picture and the named face
// textures in both texture folders, enters it and opens the window.
void enterWorldFolderWithWindow(std::vector<std::string> const& faceTextures);

// Six texture names "<prefix>1.png" to "<prefix>6.png".
std::vector<std::string> sixNames(std::string const& prefix);

// TestSupport::runInChild for a child of a process that has a window. The
// child leaves without the exit handlers, which would tear down the window
// they share.
TestSupport::ChildResult runInChildSharingWindow(std::function<void()> const& body);
}

// Records every script function called, and lets a test act when one is.
class RecordingLuaFuncs : public LuaFuncs
{
public:
    void callLuaGenericFunction(char const* functionName) override;

    int countCalls(std::string const& functionName) const;

    std::vector<std::string> calls;
    // Called with each function name, with the current object already injected.
    void (*onCall)(RecordingLuaFuncs& self, std::string const& functionName) = nullptr;
};

#endif
