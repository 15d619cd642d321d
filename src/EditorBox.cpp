#include "EditorBox.h"

#include "DeviceManager.h"
#include "Font.h"
#include "MouseEvent.h"
#include "Scene2D.h"
#include "Sprite.h"
#include "SpriteManager.h"

#include <algorithm>

namespace
{
Int2 const FIRST_POSITION(100, 50);
Int2 const CHILD_OFFSET(50, 50);
int const INITIAL_WIDTH = 50;
// Room left beside the text, and the shift of a pressed button.
int const TEXT_MARGIN = 20;
int const BUTTON_INSET = 10;
int const PRESSED_SHIFT = 5;
int const TITLE_INSET = 5;
int const LABEL_INSET = 15;
Float2 const TEXT_SCALE(1.f, 1.f);
int const HOT_SPOT_TOP_LEFT = 1;

Sprite* createPicture(std::string const& path)
{
    return deviceManager->getSpriteManager()->createSprite(path.c_str(), HOT_SPOT_TOP_LEFT, false);
}

int widthOf(Font const& font, std::string const& text)
{
    return font.getWidth(text.c_str(), -1, 1.f);
}
}

EditorBox::EditorBox(std::string const& title, EditorBox const* parent)
    : position(parent != NULL ? parent->position + CHILD_OFFSET : FIRST_POSITION), width(INITIAL_WIDTH), title(title),
      buttons(), selectedButton(-1), dragOffset(0, 0), isDragging(false), boxPicture(NULL), buttonPictures()
{
}

EditorBox::~EditorBox()
{
    SpriteManager* const sprites = deviceManager->getSpriteManager();
    sprites->removeSprite(boxPicture);
    for (auto const& picture : buttonPictures)
        sprites->removeSprite(picture.second);
}

void EditorBox::addButton(std::string const& label)
{
    buttons.push_back(label);
}

void EditorBox::addButton(std::string const& label, std::string const& picturePath)
{
    Sprite* const picture = createPicture(picturePath);
    picture->setSizeDelimiters(Int2(BUTTON_PICTURE_SIZE, BUTTON_PICTURE_SIZE));
    buttonPictures[int(buttons.size())] = picture;
    buttons.push_back(label);
}

void EditorBox::setBoxPicture(std::string const& picturePath)
{
    Sprite* const previous = boxPicture;
    boxPicture = createPicture(picturePath);
    deviceManager->getSpriteManager()->removeSprite(previous);
}

int EditorBox::manageAndGetButton(MouseEvent const& event)
{
    switch (event.state)
    {
    case GLManager::MOUSE_BUTTON_UP:
        selectedButton = -1;
        isDragging = false;
        return NOTHING;
    case GLManager::MOUSE_MOVED_BUTTON_HELD:
        if (!isDragging)
            return NOTHING;
        position = event.position - dragOffset;
        return DRAGGING;
    case GLManager::MOUSE_BUTTON_DOWN:
        if (event.button != GLManager::MOUSE_LEFT_BUTTON && event.button != GLManager::MOUSE_RIGHT_BUTTON)
            return NOTHING;
        return pressAt_(event.position);
    default:
        return NOTHING;
    }
}

int EditorBox::pressAt_(Int2 const& pointer)
{
    int const x = position.x();
    int const y = position.y();
    bool const withinWidth = x < pointer.x() && pointer.x() < x + width;
    if (withinWidth && y < pointer.y() && pointer.y() < y + TITLE_BAR_HEIGHT)
    {
        dragOffset = pointer - position;
        isDragging = true;
    }
    // The cross lies inside the title bar: the drag above has begun too.
    if (x + width - CROSS_SIZE < pointer.x() && pointer.x() < x + width && y < pointer.y() &&
        pointer.y() < y + CROSS_SIZE)
        return CLOSE;
    if (withinWidth && y + TITLE_BAR_HEIGHT < pointer.y() && pointer.y() < y + getHeight())
    {
        selectedButton = (pointer.y() - y - TITLE_BAR_HEIGHT) / BUTTON_HEIGHT;
        return selectedButton;
    }
    return NOTHING;
}

int EditorBox::computeWidth_(Font const& font) const
{
    int widest = widthOf(font, title) + TEXT_MARGIN;
    for (std::string const& label : buttons)
        widest = std::max(widest, widthOf(font, label));
    return widest + TEXT_MARGIN;
}

void EditorBox::draw(Font const& font)
{
    width = computeWidth_(font);
    int const x = position.x();
    int const y = position.y();
    Scene2D const* const scene = deviceManager->getScene2D();
    deviceManager->setColor(128, 0, 0, 0);
    scene->drawRectangle(position, position + Int2(width, getHeight()), true);
    for (int i = 0; i < int(buttons.size()); ++i)
    {
        int const shift = i == selectedButton ? PRESSED_SHIFT : 0;
        int const top = y + TITLE_BAR_HEIGHT + BUTTON_HEIGHT * i;
        scene->drawRectangle(Int2(x + BUTTON_INSET + shift, top),
                             Int2(x + width - BUTTON_INSET + shift, top + BUTTON_HEIGHT - BUTTON_INSET), true);
    }
    deviceManager->setColor(colorWhite);
    scene->drawLine(Int2(x + width - CROSS_SIZE, y), Int2(x + width, y + CROSS_SIZE));
    scene->drawLine(Int2(x + width, y), Int2(x + width - CROSS_SIZE, y + CROSS_SIZE));
    font.drawText(Int2(x + TITLE_INSET, y + TITLE_INSET), title.c_str(), TEXT_SCALE, -1, false);
    for (int i = 0; i < int(buttons.size()); ++i)
    {
        Int2 const labelPosition(x + LABEL_INSET, y + TITLE_BAR_HEIGHT + TITLE_INSET + BUTTON_HEIGHT * i);
        font.drawText(labelPosition, buttons[i].c_str(), TEXT_SCALE, -1, false);
        auto const picture = buttonPictures.find(i);
        if (picture == buttonPictures.end())
            continue;
        picture->second->setPosition(labelPosition + Int2(widthOf(font, buttons[i]), 0));
        picture->second->draw();
    }
    if (boxPicture != NULL)
    {
        boxPicture->setPosition(Int2(x, y + getHeight()));
        boxPicture->draw();
    }
}

Int2 const& EditorBox::getPosition() const
{
    return position;
}

int EditorBox::getWidth() const
{
    return width;
}

int EditorBox::getHeight() const
{
    return TITLE_BAR_HEIGHT + BUTTON_HEIGHT * int(buttons.size());
}

std::string const& EditorBox::getTitle() const
{
    return title;
}

std::vector<std::string> const& EditorBox::getButtons() const
{
    return buttons;
}

int EditorBox::getSelectedButton() const
{
    return selectedButton;
}

bool EditorBox::getIsDragging() const
{
    return isDragging;
}

Sprite const* EditorBox::getButtonPicture(int button) const
{
    auto const picture = buttonPictures.find(button);
    return picture != buttonPictures.end() ? picture->second : NULL;
}

Sprite const* EditorBox::getBoxPicture() const
{
    return boxPicture;
}
