#include "PlayerModel.h"

#include "Noise.h"

namespace
{
int const TEXTURE_SIZE = 64;
int const TILE = 16;

// Tiles of the texture, by (column, row) of 16-pixel squares.
enum Tile
{
    SKIN,
    FACE,
    HAIR,
    SHIRT,
    SHIRT_FRONT,
    TROUSERS,
    SHOES,
    HEAD_SIDE
};

Int2 tilePosition(Tile tile)
{
    return Int2(static_cast<int>(tile) % 4 * TILE, static_cast<int>(tile) / 4 * TILE);
}

// Half a pixel inside the tile, so filtering never mixes in the neighbour tile.
ModelBuilder::TextureArea area(Tile tile)
{
    Int2 const p = tilePosition(tile);
    ModelBuilder::TextureArea a;
    a.left = (p.x() + 0.5f) / TEXTURE_SIZE;
    a.top = (p.y() + 0.5f) / TEXTURE_SIZE;
    a.right = (p.x() + TILE - 0.5f) / TEXTURE_SIZE;
    a.bottom = (p.y() + TILE - 0.5f) / TEXTURE_SIZE;
    return a;
}

ModelBuilder::BoxSkin skin(Tile front, Tile back, Tile sides, Tile top, Tile bottom)
{
    ModelBuilder::BoxSkin s;
    s.front = area(front);
    s.back = area(back);
    s.left = s.right = area(sides);
    s.top = area(top);
    s.bottom = area(bottom);
    return s;
}

ModelBuilder::BoxSkin plain(Tile tile)
{
    return skin(tile, tile, tile, tile, tile);
}

// Swing angles of the limbs in one frame (degrees).
struct Stance
{
    float leftLeg = 0.0f, rightLeg = 0.0f; // about x, positive forwards
    float leftArm = 0.0f, rightArm = 0.0f; // about x, positive forwards
    float armsRaised = 0.0f;               // about z, outwards
};

Stance stanceOfFrame(int frame)
{
    Stance s;
    switch (frame)
    {
    case 2:
        s.leftLeg = 28.0f, s.rightLeg = -28.0f, s.leftArm = -22.0f, s.rightArm = 22.0f;
        break;
    case 3:
        s.leftLeg = -28.0f, s.rightLeg = 28.0f, s.leftArm = 22.0f, s.rightArm = -22.0f;
        break;
    case 4:
        s.leftLeg = s.rightLeg = -12.0f, s.armsRaised = 70.0f;
        break;
    case 5:
        s.leftLeg = s.rightLeg = -20.0f, s.armsRaised = 110.0f;
        break;
    default:
        break;
    }
    return s;
}

// side is +1 for the figure's left (+x, since it faces +z) and -1 for its right.
void addLeg(ModelBuilder& mesh, float side, float swing)
{
    ModelBuilder::Pose pose;
    pose.pivot = Float3(side * 2.6f, 13.5f, 0.0f);
    pose.swingX = swing;
    float const inner = side * 0.4f, outer = side * 4.8f;
    mesh.addBox(Float3(std::min(inner, outer), 2.5f, -2.3f), Float3(std::max(inner, outer), 13.5f, 2.3f),
                plain(TROUSERS), pose);
    mesh.addBox(Float3(std::min(inner, outer), 0.0f, -2.3f), Float3(std::max(inner, outer), 2.5f, 3.3f),
                plain(SHOES), pose);
}

void addArm(ModelBuilder& mesh, float side, float swing, float raised)
{
    ModelBuilder::Pose pose;
    pose.pivot = Float3(side * 6.9f, 24.0f, 0.0f);
    pose.swingX = swing;
    pose.swingZ = side * raised;
    float const inner = side * 5.2f, outer = side * 8.6f;
    mesh.addBox(Float3(std::min(inner, outer), 17.0f, -1.7f), Float3(std::max(inner, outer), 25.0f, 1.7f),
                plain(SHIRT), pose);
    float const handInner = side * 5.4f, handOuter = side * 8.4f;
    mesh.addBox(Float3(std::min(handInner, handOuter), 13.4f, -1.5f),
                Float3(std::max(handInner, handOuter), 17.0f, 1.5f), plain(SKIN), pose);
}

void paintTile(Canvas& canvas, Tile tile, Color4 const& base, float variation, uint32_t seed)
{
    Noise const noise(seed);
    Int2 const p = tilePosition(tile);
    for (int y = 0; y < TILE; ++y)
        for (int x = 0; x < TILE; ++x)
        {
            float const shade = 1.0f + (noise.at(x, y, 0) - 0.5f) * variation;
            Color4 c = base;
            for (int k = 0; k < 3; ++k)
                c[k] = static_cast<unsigned char>(std::min(255.0f, base[k] * shade));
            canvas.setPixel(p.x() + x, p.y() + y, c);
        }
}
}

namespace PlayerModel
{
ModelBuilder makeFrame(int frame)
{
    ModelBuilder mesh;
    ModelBuilder::Material material;
    material.name = "player";
    material.diffuse = Float3(1.0f, 1.0f, 1.0f);
    material.ambient = Float3(0.6f, 0.6f, 0.6f);
    material.texture = TEXTURE_FILE;
    mesh.addMaterial(material);

    Stance const stance = stanceOfFrame(frame);
    ModelBuilder::Pose const still;
    mesh.startGroup("legs", material.name);
    addLeg(mesh, 1.0f, stance.leftLeg);
    addLeg(mesh, -1.0f, stance.rightLeg);
    mesh.startGroup("body", material.name);
    mesh.addBox(Float3(-5.2f, 13.5f, -2.6f), Float3(5.2f, 25.0f, 2.6f), skin(SHIRT_FRONT, SHIRT, SHIRT, SHIRT, SHIRT),
                still);
    mesh.startGroup("arms", material.name);
    addArm(mesh, 1.0f, stance.leftArm, stance.armsRaised);
    addArm(mesh, -1.0f, stance.rightArm, stance.armsRaised);
    mesh.startGroup("head", material.name);
    mesh.addBox(Float3(-4.2f, 25.0f, -4.2f), Float3(4.2f, MODEL_HEIGHT, 4.2f),
                skin(FACE, HAIR, HEAD_SIDE, HAIR, SKIN), still);
    // A swinging leg lifts one foot and lowers the other's toe: keep the
    // lowest point of every frame on the ground.
    mesh.standOnGround();
    return mesh;
}

Canvas makeTexture()
{
    Canvas canvas(TEXTURE_SIZE, TEXTURE_SIZE, Color4(255, 255, 255, 255));
    Color4 const skinColor(236, 188, 150, 255), hairColor(92, 56, 30, 255);
    paintTile(canvas, SKIN, skinColor, 0.06f, 1);
    paintTile(canvas, FACE, skinColor, 0.06f, 2);
    paintTile(canvas, HAIR, hairColor, 0.35f, 3);
    paintTile(canvas, SHIRT, Color4(46, 112, 204, 255), 0.12f, 4);
    paintTile(canvas, SHIRT_FRONT, Color4(46, 112, 204, 255), 0.12f, 5);
    paintTile(canvas, TROUSERS, Color4(52, 54, 76, 255), 0.15f, 6);
    paintTile(canvas, SHOES, Color4(84, 50, 30, 255), 0.15f, 7);
    paintTile(canvas, HEAD_SIDE, skinColor, 0.06f, 8);

    // Face: eyes, pupils, a mouth; a fringe of hair on the forehead and sides.
    Int2 const face = tilePosition(FACE);
    canvas.fillRect(face.x(), face.y(), face.x() + TILE, face.y() + 3, hairColor);
    for (int eyeX : {3, 9})
    {
        canvas.fillRect(face.x() + eyeX, face.y() + 6, face.x() + eyeX + 4, face.y() + 9, Color4(250, 250, 250, 255));
        canvas.fillRect(face.x() + eyeX + 1, face.y() + 6, face.x() + eyeX + 3, face.y() + 9, Color4(40, 70, 130, 255));
    }
    canvas.fillRect(face.x() + 5, face.y() + 12, face.x() + 11, face.y() + 13, Color4(150, 60, 60, 255));
    Int2 const side = tilePosition(HEAD_SIDE);
    canvas.fillRect(side.x(), side.y(), side.x() + TILE, side.y() + 5, hairColor);
    canvas.fillRect(side.x() + 10, side.y() + 5, side.x() + TILE, side.y() + 9, hairColor);

    // A yellow badge on the shirt front, soles under the shoes.
    Int2 const front = tilePosition(SHIRT_FRONT);
    canvas.fillPolygon({Float2(front.x() + 8.0f, front.y() + 3.0f), Float2(front.x() + 12.0f, front.y() + 7.0f),
                        Float2(front.x() + 8.0f, front.y() + 11.0f), Float2(front.x() + 4.0f, front.y() + 7.0f)},
                       Color4(250, 210, 60, 255));
    Int2 const shoes = tilePosition(SHOES);
    canvas.fillRect(shoes.x(), shoes.y() + 12, shoes.x() + TILE, shoes.y() + TILE, Color4(40, 30, 24, 255));
    return canvas;
}
}
