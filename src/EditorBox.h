#ifndef EDITORBOX_H
#define EDITORBOX_H

// One movable window of the editor's menus: a 30-pixel title bar with a close
// cross in its top-right corner, then a column of 50-pixel buttons labelled
// top to bottom, optionally followed by small pictures, and an optional
// picture hanging below the window. The title names the window's role. It
// turns mouse events into the pressed button, a drag of its title bar or a
// close request, and draws itself; its width follows the font it was last
// drawn with. It owns its pictures (sprites of the global device manager's
// sprite manager, which must exist for the window's whole life).

#include "BasicVector.h"

#include <map>
#include <string>
#include <vector>

class Font;
class MouseEvent;
class Sprite;

class EditorBox
{
public:
    static constexpr int TITLE_BAR_HEIGHT = 30;
    static constexpr int BUTTON_HEIGHT = 50;
    static constexpr int CROSS_SIZE = 20;
    static constexpr int BUTTON_PICTURE_SIZE = 30;
    // Results of manageAndGetButton besides a button index.
    static constexpr int NOTHING = -1;
    static constexpr int DRAGGING = -2;
    static constexpr int CLOSE = -100;

    // Without a parent the window opens at (100, 50), else 50 right and 50 below it.
    EditorBox(std::string const& title, EditorBox const* parent);
    ~EditorBox();
    EditorBox(EditorBox const&) = delete;
    EditorBox& operator=(EditorBox const&) = delete;

    void addButton(std::string const& label);
    // The picture, scaled to fit 30 x 30, is drawn after the label.
    void addButton(std::string const& label, std::string const& picturePath);
    void setBoxPicture(std::string const& picturePath);

    // A button index, or NOTHING, DRAGGING or CLOSE. All bounds are strict.
    int manageAndGetButton(MouseEvent const& event);
    // Recomputes the width from the title and labels, then draws.
    void draw(Font const& font);

    Int2 const& getPosition() const;
    int getWidth() const;
    // 30 + 50 per button.
    int getHeight() const;
    std::string const& getTitle() const;
    std::vector<std::string> const& getButtons() const;
    int getSelectedButton() const;
    bool getIsDragging() const;
    // NULL when the button has no picture.
    Sprite const* getButtonPicture(int button) const;
    Sprite const* getBoxPicture() const;

private:
    int computeWidth_(Font const& font) const;
    // The press of the left or right button: drag, close or button.
    int pressAt_(Int2 const& pointer);

    Int2 position;
    int width;
    std::string title;
    std::vector<std::string> buttons;
    // The last pressed button; -1 once released.
    int selectedButton;
    // Pointer minus position when the drag began.
    Int2 dragOffset;
    bool isDragging;
    Sprite* boxPicture;
    std::map<int, Sprite*> buttonPictures;
};

#endif
