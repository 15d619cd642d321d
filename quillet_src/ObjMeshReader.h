#ifndef OBJMESHREADER_H
#define OBJMESHREADER_H

// Turns the text of a Wavefront OBJ file and of its MTL material libraries into
// an ObjMesh. OBJ files come from game makers, so nothing in them is trusted:
// every index is checked against what the file holds, every number must parse,
// and lines and names have a length limit. The reader itself touches no file
// and stops nothing: it hands back the first fault with its file and line, and
// glmReadOBJ, which reads real files, turns that fault into the fatal report.

#include "ObjMesh.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class ObjMeshReader
{
public:
    // Fills text with the material library at path; false when it cannot be read.
    typedef std::function<bool(std::string const& path, std::string& text)> TextSource;

    static constexpr size_t MAX_LINE_LENGTH = 16384;
    static constexpr size_t MAX_NAME_LENGTH = 1024;

    // folder: what material library and texture names are relative to (the
    // OBJ file's folder, ending with its separator, or empty).
    ObjMeshReader(std::string const& folder, TextSource const& materialSource);

    // Reads the OBJ text of mesh.pathname into mesh. False on the first fault.
    bool readObj(std::string const& text, ObjMesh& mesh);
    // Appends the materials of the library at path to mesh ("default" first).
    bool readMtl(std::string const& path, std::string const& text, ObjMesh& mesh);

    // The fault, naming the file and line: "'file' line N: what".
    std::string const& getError() const;

private:
    struct Place
    {
        std::string const* path;
        size_t line;
    };

    bool countObj_(std::string const& text, ObjMesh& mesh, size_t counts[3]);
    bool readObjStatements_(std::string const& text, ObjMesh& mesh, size_t const counts[3]);
    bool readMaterialLibraries_(Place const& place, std::string const& line, ObjMesh& mesh);
    bool readFace_(Place const& place, std::string const& line, ObjMesh& mesh, unsigned group,
                   size_t const counts[3]);
    bool readMtlStatement_(Place const& place, std::string const& line, ObjMesh& mesh, size_t& current);
    bool readTexture_(Place const& place, std::string const& line, ObjMesh::Material& material);
    bool checkLine_(Place const& place, std::string_view line);
    bool fail_(Place const& place, std::string const& what);

    std::string folder;
    TextSource materialSource;
    std::string error;
};

// Reads the OBJ file and everything it names: its material libraries and their
// textures (sprites of the sprite manager). Any fault of the files is fatal.
ObjMesh* glmReadOBJ(std::string const& fileName);

#endif
