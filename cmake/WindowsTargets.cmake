# Targets of the Windows cross build (cmake/mingw-w64-x86_64.cmake): the
# console program Application.exe from the same sources as the Linux build.
# Tests, benchmarks and the data generator are built by the Linux build only;
# the game data it generates is copied beside the program by
# scripts/build_windows.sh.
#
# The libraries come from scripts/setup_windows.sh: Lua, libpng and zlib are
# linked into the program; libjpeg, freeglut, OpenAL, ALUT and GLEW are DLLs
# shipped beside it.

function(quillet_windows_library variable)
  find_library(${variable} NAMES ${ARGN} PATHS ${QUILLET_WINDOWS_DEPS}/lib NO_DEFAULT_PATH)
  if(NOT ${variable})
    message(FATAL_ERROR "${ARGN} not found in ${QUILLET_WINDOWS_DEPS}/lib: run scripts/setup_windows.sh")
  endif()
endfunction()

quillet_windows_library(WIN_LUA liblua5.1.a)
quillet_windows_library(WIN_PNG libpng16.a libpng.a)
quillet_windows_library(WIN_ZLIB libz.a)
quillet_windows_library(WIN_JPEG libjpeg.dll.a)
quillet_windows_library(WIN_GLUT libfreeglut.dll.a)
quillet_windows_library(WIN_OPENAL libOpenAL32.dll.a)
quillet_windows_library(WIN_ALUT libalut.dll.a)
quillet_windows_library(WIN_GLEW libglew32.dll.a)

# The networking classes speak BSD sockets only; the game never uses them.
file(GLOB QUILLET_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/quillet_src/*.cpp)
list(FILTER QUILLET_SOURCES EXCLUDE REGEX "/(Connection|Network|NetworkThread|Server)\\.cpp$")
add_library(quillet STATIC ${QUILLET_SOURCES})
target_include_directories(quillet PUBLIC ${CMAKE_SOURCE_DIR}/quillet_src ${QUILLET_WINDOWS_DEPS}/include)
# Unicode entry points of the Windows API; no min/max macros in the way of
# std::min; M_PI and its kin, which glibc gives without asking.
target_compile_definitions(quillet PUBLIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _USE_MATH_DEFINES)
target_link_libraries(quillet PUBLIC
  ${WIN_GLEW} ${WIN_GLUT} ${WIN_PNG} ${WIN_ZLIB} ${WIN_JPEG} ${WIN_ALUT} ${WIN_OPENAL}
  glu32 opengl32 gdi32 winmm shell32 user32)

file(GLOB GAME_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
add_library(game STATIC ${GAME_SOURCES})
target_include_directories(game PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(game PUBLIC quillet ${WIN_LUA})

add_executable(Application main.cpp)
target_link_libraries(Application PRIVATE game)
# The compiler's own run-time libraries go into the program, so that it needs
# no DLL of the compiler beyond those the libraries bring.
target_link_options(Application PRIVATE -static-libgcc -static-libstdc++)
