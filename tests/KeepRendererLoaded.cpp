// Linked into every test program that opens a window. The window is left to
// process exit, so the software renderer's memory is still held then; keeping
// its driver loaded lets the leak checker name it (and the suppression list
// skip it) instead of reporting an unknown module.

#include <dlfcn.h>

namespace
{
struct KeepRendererLoaded
{
    KeepRendererLoaded()
    {
        dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);
    }
} const keepRendererLoaded;
}
