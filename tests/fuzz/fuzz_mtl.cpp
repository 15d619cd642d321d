// Feeds arbitrary bytes to the MTL reader as a material library.

#include "ObjMeshReader.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    std::string const text(reinterpret_cast<char const*>(data), size);
    ObjMesh mesh;
    mesh.pathname = "fuzz/model.obj";
    ObjMeshReader reader("fuzz/", [](std::string const&, std::string&) { return false; });
    std::string const path = "fuzz/materials.mtl";
    if (reader.readMtl(path, text, mesh))
        glmFindMaterial(mesh, "default");
    return 0;
}
