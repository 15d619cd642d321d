#ifndef EDITTEXT_H
#define EDITTEXT_H

// A one-line text input field: the text, a cursor moved and edited by keys, a
// blinking cursor mark while the field is active, an optional length limit,
// and two modes: digits only, and password (one "*" per character). With a
// font it draws through the font; without one it draws the GLUT 8 x 13 bitmap
// font and takes no typed characters (text still comes through
// insertStringAtEnd). The font is the caller's.

#include "BasicVector.h"

#include <string>

class Font;

class EditText
{
public:
    static constexpr int NO_LENGTH_LIMIT = -1;
    // Half-period of the cursor blink, in milliseconds.
    static constexpr int CURSOR_BLINK_PERIOD = 500;
    static constexpr unsigned char KEY_BACKSPACE = 8;
    static constexpr unsigned char KEY_CURSOR_TO_START = 11;

    // decoration is accepted for callers that pass it; nothing shows it.
    EditText(bool decoration, int maxLength, Int2 const& position, Font const* font, bool password, bool digitsOnly);

    // Edits or moves the cursor; ignored while inactive.
    void injectKeyEvent(unsigned char key);
    // Inserts at the cursor within the length limit, whatever the font and mode.
    void insertChar(char c);
    // Appends s when the result stays within the limit; the cursor goes to the end.
    void insertStringAtEnd(char const* s);
    void eraseText();
    void draw(float scale);

    std::string const& getText() const;
    int getCursor() const;
    Int2 getPosition() const;
    void setPosition(Int2 const& newPosition);
    bool isActive() const;
    void setActive(bool isActive);
    // Whether the cursor mark is in its shown half of the blink.
    bool isCursorShown() const;

    // Flips the blink when its half-period is over at now (milliseconds).
    void updateCursorBlink(int now);

private:
    bool accepts_(unsigned char key) const;
    bool fitsOneMore_() const;
    void drawText_(float scale) const;
    void drawCursor_(float scale) const;

    std::string text;
    int cursor;
    Int2 position;
    bool active;
    int maxLength;
    int timeLastBlink;
    bool cursorShown;
    // Null: the GLUT bitmap font, which cannot tell which characters it has.
    Font const* font;
    bool password;
    bool digitsOnly;
};

#endif
