#include "ObjMeshReader.h"

#include "DataPack.h"
#include "Errors.h"
#include "FileManager.h"
#include "GLManager.h"
#include "Image.h"
#include "Sprite.h"
#include "SpriteManager.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace
{
typedef std::vector<std::string_view> Words;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

Words splitWords(std::string_view line)
{
    Words words;
    size_t i = 0;
    while (i < line.size())
    {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        size_t const start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

// What follows the first count words, without the blanks around it.
std::string_view restAfterWords(std::string_view line, size_t count)
{
    size_t i = 0;
    for (size_t word = 0; word < count; ++word)
    {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
    }
    while (i < line.size() && isBlank(line[i]))
        ++i;
    size_t end = line.size();
    while (end > i && isBlank(line[end - 1]))
        --end;
    return line.substr(i, end - i);
}

// Calls read(line, number) for each line of text while it returns true.
template <typename Reader>
bool forEachLine(std::string const& text, Reader&& read)
{
    size_t start = 0;
    size_t number = 1;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (!read(std::string_view(text).substr(start, end - start), number))
            return false;
        start = end + 1;
        ++number;
    }
    return true;
}

bool parseFloat(std::string_view word, float& value)
{
    char buffer[64];
    if (word.empty() || word.size() >= sizeof buffer)
        return false;
    memcpy(buffer, word.data(), word.size());
    buffer[word.size()] = '\0';
    char* end = NULL;
    value = strtof(buffer, &end);
    return end == buffer + word.size() && std::isfinite(value);
}

std::string quoted(std::string_view word)
{
    return "\"" + std::string(word) + "\"";
}
}

ObjMeshReader::ObjMeshReader(std::string const& folder, TextSource const& materialSource)
    : folder(folder), materialSource(materialSource), error()
{
}

std::string const& ObjMeshReader::getError() const
{
    return error;
}

bool ObjMeshReader::fail_(Place const& place, std::string const& what)
{
    error = "'" + *place.path + "' line " + std::to_string(place.line) + ": " + what;
    return false;
}

bool ObjMeshReader::checkLine_(Place const& place, std::string_view line)
{
    if (line.size() > MAX_LINE_LENGTH)
        return fail_(place, "line longer than " + std::to_string(MAX_LINE_LENGTH) + " characters");
    if (line.find('\0') != std::string_view::npos)
        return fail_(place, "zero byte in a text line");
    return true;
}

bool ObjMeshReader::readObj(std::string const& text, ObjMesh& mesh)
{
    // Faces may name vertices given further down, so the first pass counts
    // what the file holds and the second checks every index against it.
    size_t counts[3] = {0, 0, 0};
    return countObj_(text, mesh, counts) && readObjStatements_(text, mesh, counts);
}

bool ObjMeshReader::countObj_(std::string const& text, ObjMesh& mesh, size_t counts[3])
{
    return forEachLine(text, [&](std::string_view line, size_t number) {
        Place const place = {&mesh.pathname, number};
        if (!checkLine_(place, line))
            return false;
        Words const words = splitWords(line);
        if (words.empty() || words[0][0] == '#')
            return true;
        if (words[0] == "mtllib")
            return readMaterialLibraries_(place, std::string(line), mesh);
        if (words[0][0] != 'v')
            return true;
        if (words[0] == "v")
            ++counts[0];
        else if (words[0] == "vn")
            ++counts[1];
        else if (words[0] == "vt")
            ++counts[2];
        else
            return fail_(place, "glmFirstPass(): Unknown token " + quoted(words[0]) + ".");
        return true;
    });
}

bool ObjMeshReader::readMaterialLibraries_(Place const& place, std::string const& line, ObjMesh& mesh)
{
    Words const words = splitWords(line);
    if (words.size() < 2)
        return fail_(place, "mtllib names no material library");
    for (size_t i = 1; i < words.size(); ++i)
    {
        if (words[i].size() > MAX_NAME_LENGTH)
            return fail_(place, "material library name longer than " + std::to_string(MAX_NAME_LENGTH));
        std::string const path = folder + std::string(words[i]);
        std::string libraryText;
        if (!materialSource(path, libraryText))
            return fail_(place, "glmReadMTL() failed: can't open material file \"" + path + "\".");
        if (!readMtl(path, libraryText, mesh))
            return false;
        mesh.mtllibname = std::string(words[i]);
    }
    return true;
}

bool ObjMeshReader::readObjStatements_(std::string const& text, ObjMesh& mesh, size_t const counts[3])
{
    mesh.vertices.reserve(counts[0] + 1);
    mesh.normals.reserve(counts[1] + 1);
    mesh.texcoords.reserve(counts[2] + 1);
    unsigned group = 0;
    return forEachLine(text, [&](std::string_view line, size_t number) {
        Place const place = {&mesh.pathname, number};
        Words const words = splitWords(line);
        if (words.empty() || words[0][0] == '#')
            return true;
        std::string_view const statement = words[0];
        if (statement == "v" || statement == "vn" || statement == "vt")
        {
            size_t const needed = statement == "vt" ? 2 : 3;
            if (words.size() < needed + 1)
                return fail_(place, std::string(statement) + " needs " + std::to_string(needed) + " numbers");
            float values[3] = {0.f, 0.f, 0.f};
            for (size_t i = 0; i < needed; ++i)
                if (!parseFloat(words[i + 1], values[i]))
                    return fail_(place, "not a number: " + quoted(words[i + 1]));
            if (statement == "v")
                mesh.vertices.push_back(Float3(values[0], values[1], values[2]));
            else if (statement == "vn")
                mesh.normals.push_back(Float3(values[0], values[1], values[2]));
            else
                mesh.texcoords.push_back(Float2(values[0], values[1]));
            return true;
        }
        if (statement == "usemtl")
        {
            if (words.size() < 2)
                return fail_(place, "usemtl names no material");
            if (words[1].size() > MAX_NAME_LENGTH)
                return fail_(place, "material name longer than " + std::to_string(MAX_NAME_LENGTH));
            mesh.groups[group].material = glmFindMaterial(mesh, std::string(words[1]));
            return true;
        }
        if (statement == "g")
        {
            if (words.size() >= 2 && words[1].size() > MAX_NAME_LENGTH)
                return fail_(place, "group name longer than " + std::to_string(MAX_NAME_LENGTH));
            group = glmAddGroup(mesh, words.size() >= 2 ? std::string(words[1]) : std::string("default"));
            return true;
        }
        if (statement == "f")
            return readFace_(place, std::string(line), mesh, group, counts);
        return true;
    });
}

namespace
{
// How a face writes its corners: v, v/t, v//n or v/t/n.
enum class CornerForm
{
    VERTEX,
    VERTEX_TEXCOORD,
    VERTEX_NORMAL,
    VERTEX_TEXCOORD_NORMAL,
    NONE
};

std::vector<std::string_view> splitSlashes(std::string_view corner)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true)
    {
        size_t const slash = corner.find('/', start);
        parts.push_back(corner.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos)
            return parts;
        start = slash + 1;
    }
}

CornerForm formOf(std::vector<std::string_view> const& parts)
{
    for (size_t i = 0; i < parts.size(); ++i)
        if (parts[i].empty() && !(parts.size() == 3 && i == 1))
            return CornerForm::NONE;
    if (parts.size() == 1)
        return CornerForm::VERTEX;
    if (parts.size() == 2)
        return CornerForm::VERTEX_TEXCOORD;
    if (parts.size() == 3)
        return parts[1].empty() ? CornerForm::VERTEX_NORMAL : CornerForm::VERTEX_TEXCOORD_NORMAL;
    return CornerForm::NONE;
}
}

bool ObjMeshReader::readFace_(Place const& place, std::string const& line, ObjMesh& mesh, unsigned group,
                              size_t const counts[3])
{
    Words const words = splitWords(line);
    size_t const numCorners = words.size() - 1;
    if (numCorners < 3)
        return fail_(place, "a face needs at least 3 corners, this one has " + std::to_string(numCorners));

    static char const* const arrayNames[3] = {"vertices", "normals", "texture coordinates"};
    CornerForm const form = formOf(splitSlashes(words[1]));
    if (form == CornerForm::NONE)
        return fail_(place, "bad face corner " + quoted(words[1]));
    // Per corner: vertex, normal and texture-coordinate index (0 when not given).
    std::vector<unsigned> corners(numCorners * 3, 0);
    for (size_t c = 0; c < numCorners; ++c)
    {
        std::vector<std::string_view> const parts = splitSlashes(words[c + 1]);
        if (formOf(parts) != form)
            return fail_(place, "face corner " + quoted(words[c + 1]) + " is not written like the first corner " +
                                    quoted(words[1]));
        // Which array each written part indexes, by its place in the corner.
        int const arrays[3] = {0, form == CornerForm::VERTEX_NORMAL ? -1 : 2, 1};
        for (size_t p = 0; p < parts.size(); ++p)
        {
            if (arrays[p] < 0)
                continue;
            long index = 0;
            std::from_chars_result const parsed = std::from_chars(parts[p].data(), parts[p].data() + parts[p].size(), index);
            if (parsed.ec != std::errc() || parsed.ptr != parts[p].data() + parts[p].size())
                return fail_(place, "not an index: " + quoted(parts[p]));
            size_t const count = counts[arrays[p]];
            if (index < 1 || static_cast<unsigned long>(index) > count)
                return fail_(place, "index " + std::to_string(index) + " is outside the " + std::to_string(count) +
                                        " " + arrayNames[arrays[p]] + " of the file");
            corners[c * 3 + arrays[p]] = static_cast<unsigned>(index);
        }
    }
    // A fan around the first corner.
    for (size_t c = 2; c < numCorners; ++c)
    {
        ObjMesh::Triangle triangle;
        size_t const picked[3] = {0, c - 1, c};
        for (int k = 0; k < 3; ++k)
        {
            triangle.vindices[k] = corners[picked[k] * 3];
            triangle.nindices[k] = corners[picked[k] * 3 + 1];
            triangle.tindices[k] = corners[picked[k] * 3 + 2];
        }
        mesh.groups[group].triangles.push_back(static_cast<unsigned>(mesh.triangles.size()));
        mesh.triangles.push_back(triangle);
    }
    return true;
}

bool ObjMeshReader::readMtl(std::string const& path, std::string const& text, ObjMesh& mesh)
{
    size_t newMaterials = 0;
    bool const counted = forEachLine(text, [&](std::string_view line, size_t number) {
        if (!checkLine_(Place{&path, number}, line))
            return false;
        Words const words = splitWords(line);
        if (!words.empty() && words[0] == "newmtl")
            ++newMaterials;
        return true;
    });
    if (!counted)
        return false;
    if (mesh.materials.empty())
    {
        mesh.materials.emplace_back();
        mesh.materials[0].name = "default";
    }
    // Statements before the first newmtl change "default".
    size_t current = 0;
    size_t const firstNew = mesh.materials.size();
    mesh.materials.resize(firstNew + newMaterials);
    size_t next = firstNew;
    return forEachLine(text, [&](std::string_view line, size_t number) {
        Place const place = {&path, number};
        Words const words = splitWords(line);
        if (!words.empty() && words[0] == "newmtl")
        {
            if (words.size() < 2)
                return fail_(place, "newmtl names no material");
            if (words[1].size() > MAX_NAME_LENGTH)
                return fail_(place, "material name longer than " + std::to_string(MAX_NAME_LENGTH));
            current = next++;
            mesh.materials[current].name = std::string(words[1]);
            return true;
        }
        return readMtlStatement_(place, std::string(line), mesh, current);
    });
}

bool ObjMeshReader::readMtlStatement_(Place const& place, std::string const& line, ObjMesh& mesh, size_t& current)
{
    Words const words = splitWords(line);
    if (words.empty() || words[0][0] == '#')
        return true;
    ObjMesh::Material& material = mesh.materials[current];
    std::string_view const statement = words[0];
    if (statement == "Ns")
    {
        float shininess = 0.f;
        if (words.size() < 2 || !parseFloat(words[1], shininess))
            return fail_(place, "Ns needs a number");
        material.shininess = shininess / 1000.f * 128.f;
        return true;
    }
    if (statement == "Kd" || statement == "Ka" || statement == "Ks")
    {
        if (words.size() < 4)
            return fail_(place, std::string(statement) + " needs 3 numbers");
        float* const colour =
            statement == "Kd" ? material.diffuse : (statement == "Ka" ? material.ambient : material.specular);
        float rgb[3] = {0.f, 0.f, 0.f};
        for (int i = 0; i < 3; ++i)
            if (!parseFloat(words[i + 1], rgb[i]))
                return fail_(place, "not a number: " + quoted(words[i + 1]));
        std::copy(rgb, rgb + 3, colour);
        return true;
    }
    if (statement[0] != 'm')
        return true;
    // map_Ka wins over every other map_ line, before or after it.
    if (statement == "map_Ka")
        material.textureFromMapKa = true;
    else if (material.textureFromMapKa)
        return true;
    return readTexture_(place, line, material);
}

bool ObjMeshReader::readTexture_(Place const& place, std::string const& line, ObjMesh::Material& material)
{
    Words const words = splitWords(line);
    Float3 scale(1.f, 1.f, 1.f);
    size_t wordsBeforeName = 1;
    if (words.size() >= 2 && words[1] == "-s")
    {
        if (words.size() < 5)
            return fail_(place, "-s needs 3 numbers");
        for (int i = 0; i < 3; ++i)
            if (!parseFloat(words[i + 2], scale[i]))
                return fail_(place, "not a number: " + quoted(words[i + 2]));
        wordsBeforeName = 5;
    }
    std::string_view const name = restAfterWords(line, wordsBeforeName);
    if (name.empty())
        return fail_(place, std::string(words[0]) + " names no texture file");
    if (name.size() > MAX_NAME_LENGTH)
        return fail_(place, "texture file name longer than " + std::to_string(MAX_NAME_LENGTH));
    material.textureFile = folder + std::string(name);
    material.textureOrigin = "'" + *place.path + "' line " + std::to_string(place.line);
    material.textureScale = scale;
    return true;
}

namespace
{
bool readWholeFile(std::string const& path, std::string& text)
{
    FILE* const file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    text.clear();
    char buffer[65536] = {};
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    bool const complete = ferror(file) == 0;
    fclose(file);
    return complete;
}

// Pictures come from the default data pack when one is open, else from files.
bool textureExists(std::string const& path)
{
    if (DataPack::defaultDataPack == NULL)
        return FileManager::fileExists(path);
    unsigned int size = 0;
    return DataPack::defaultDataPack->getFileDescriptor(path.c_str(), size, false) != NULL;
}

// Made once the whole model is read, so that a texture replaced by a later
// map_ line is never loaded.
void loadTextures(ObjMesh& model)
{
    for (ObjMesh::Material& material : model.materials)
    {
        if (material.textureFile.empty())
            continue;
        if (!textureExists(material.textureFile))
            FATAL_ERROR((material.textureOrigin + ": texture file '" + material.textureFile + "' does not exist").c_str());
        ASSERT(spriteManager != NULL, "textured models need the window's sprite manager");
        material.texture = spriteManager->createSprite(material.textureFile.c_str(), 1, false);
        material.textureId = static_cast<unsigned>(material.texture->getImages()[0]->getTextureId());
    }
}
}

ObjMesh* glmReadOBJ(std::string const& fileName)
{
    std::string text;
    bool const file = readWholeFile(fileName, text);
    ASSERT(file, ("glmReadOBJ() failed: can't open data file:" + fileName).c_str());
    ObjMesh* const model = new ObjMesh();
    model->pathname = fileName;
    ObjMeshReader reader(FileManager::getDirectoryFromFilePath(fileName),
                         [](std::string const& path, std::string& libraryText) {
                             bool const file = readWholeFile(path, libraryText);
                             ASSERT(file, ("glmReadMTL() failed: can't open material file \"" + path + "\".").c_str());
                             return true;
                         });
    if (!reader.readObj(text, *model))
        FATAL_ERROR(reader.getError().c_str());
    loadTextures(*model);
    return model;
}
