#include "WorldTestSupport.h"

#include "DeviceManager.h"
#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <png.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace WorldTestSupport
{
void writeSolidPng(std::string const& path, unsigned char red, unsigned char green, unsigned char blue,
                   unsigned char alpha)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == NULL)
        throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw std::runtime_error("cannot encode " + path);
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    unsigned char row[8] = {red, green, blue, alpha, red, green, blue, alpha};
    png_write_row(png, row);
    png_write_row(png, row);
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void enterWorldFolderWithWindow(std::vector<std::string> const& faceTextures)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    mkdir((folder + "/cube_textures").c_str(), 0755);
    mkdir((folder + "/cube_shadowed_textures").c_str(), 0755);
    writeSolidPng(folder + "/black_semi_transparent.png", 0, 0, 0, 128);
    for (std::string const& name : faceTextures)
    {
        writeSolidPng(folder + "/cube_textures/" + name, 200, 100, 50, 255);
        writeSolidPng(folder + "/cube_shadowed_textures/" + name, 100, 50, 25, 255);
    }
    if (chdir(folder.c_str()) != 0)
        throw std::runtime_error("cannot enter " + folder);
    DeviceManager::newInstance("game_tests", "world tests", 800, 600, false);
}

TestSupport::ChildResult runInChildSharingWindow(std::function<void()> const& body)
{
    return TestSupport::runInChild([&] {
        on_exit(
            [](int status, void*) {
                std::fflush(stdout);
                std::fflush(stderr);
                _exit(status);
            },
            NULL);
        body();
    });
}

std::vector<std::string> sixNames(std::string const& prefix)
{
    std::vector<std::string> names;
    for (int i = 1; i <= 6; ++i)
        names.push_back(prefix + std::to_string(i) + ".png");
    return names;
}
}

void RecordingLuaFuncs::callLuaGenericFunction(char const* functionName)
{
    calls.push_back(functionName);
    if (onCall != nullptr)
        onCall(*this, functionName);
}

int RecordingLuaFuncs::countCalls(std::string const& functionName) const
{
    return int(std::count(calls.begin(), calls.end(), functionName));
}
