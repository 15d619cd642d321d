# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (POSIX
# thread model, so that std::thread and the pthread calls of the engine link).
# The libraries come from scripts/setup_windows.sh; pass their folder as
# QUILLET_WINDOWS_DEPS (default: build-windows/deps/prefix of this checkout).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLET_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLET_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLET_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLET_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${QUILLET_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUILLET_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

if(NOT QUILLET_WINDOWS_DEPS)
  get_filename_component(QUILLET_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps/prefix" ABSOLUTE)
endif()
# Checks that CMake compiles on the side see the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLET_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLET_MINGW_TRIPLET} ${QUILLET_WINDOWS_DEPS})
list(APPEND CMAKE_PREFIX_PATH ${QUILLET_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
