#include "EditText.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "Font.h"
#include "KeyboardManager.h"
#include "Scene2D.h"
#include "Utils.h"

#include <cstring>

EditText::EditText(bool /*decoration*/, int maxLength, Int2 const& position, Font const* font, bool password,
                   bool digitsOnly)
    : text(),
      cursor(0),
      position(position),
      active(true),
      maxLength(maxLength),
      timeLastBlink(0),
      cursorShown(false),
      font(font),
      password(password),
      digitsOnly(digitsOnly)
{
}

void EditText::injectKeyEvent(unsigned char key)
{
    if (!active)
        return;
    switch (key)
    {
    case KEY_BACKSPACE:
        if (cursor > 0)
            text.erase(static_cast<size_t>(--cursor), 1);
        return;
    case KeyboardManager::KEYASCII_DEL:
        if (cursor < static_cast<int>(text.size()))
            text.erase(static_cast<size_t>(cursor), 1);
        return;
    case KeyboardManager::KEYASCII_LEFT:
        if (cursor > 0)
            --cursor;
        return;
    case KeyboardManager::KEYASCII_RIGHT:
        if (cursor < static_cast<int>(text.size()))
            ++cursor;
        return;
    case KEY_CURSOR_TO_START:
        cursor = 0;
        return;
    default:
        if (accepts_(key))
            text.insert(static_cast<size_t>(cursor++), 1, static_cast<char>(key));
    }
}

bool EditText::accepts_(unsigned char key) const
{
    char const c = static_cast<char>(key);
    if (font == NULL || !font->isSupported(c))
        return false;
    // The font draws line feeds, but a one-line field has no place for them.
    if (c == '\n')
        return false;
    if (digitsOnly && (c < '0' || c > '9'))
        return false;
    return fitsOneMore_();
}

bool EditText::fitsOneMore_() const
{
    return maxLength < 0 || static_cast<int>(text.size()) + 1 <= maxLength;
}

void EditText::insertChar(char c)
{
    if (fitsOneMore_())
        text.insert(static_cast<size_t>(cursor++), 1, c);
}

void EditText::insertStringAtEnd(char const* s)
{
    ASSERT(s != NULL, NULL);
    if (maxLength < 0 || text.size() + strlen(s) <= static_cast<size_t>(maxLength))
        text += s;
    cursor = static_cast<int>(text.size());
}

void EditText::eraseText()
{
    text.clear();
    cursor = 0;
}

void EditText::updateCursorBlink(int now)
{
    if (now <= timeLastBlink + CURSOR_BLINK_PERIOD)
        return;
    timeLastBlink = now;
    cursorShown = !cursorShown;
}

void EditText::draw(float scale)
{
    // Checked at drawing only: tools hold an editor, and so its field, without a window.
    ASSERT(deviceManager, NULL);
    drawText_(scale);
    if (!active)
        return;
    updateCursorBlink(Utils::getTime());
    if (cursorShown)
        drawCursor_(scale);
}

void EditText::drawText_(float scale) const
{
    Float2 const scales(scale, scale);
    if (font == NULL)
    {
        // A password stays hidden when there is no font to draw its stars.
        if (!password)
            deviceManager->getScene2D()->drawString(position.x(), position.y(), Scene2D::TEXT_8_BY_13_PIXELS,
                                                    text.c_str());
        return;
    }
    if (!password)
    {
        font->drawText(position, text.c_str(), scales, -1, false);
        return;
    }
    Int2 pen = position;
    for (size_t i = 0; i < text.size(); ++i)
        pen = font->drawText(pen, "*", scales, -1, false);
}

void EditText::drawCursor_(float scale) const
{
    Int2 mark(position.x() - 3, position.y());
    if (font == NULL)
    {
        mark.x() += 8 * cursor;
        deviceManager->getScene2D()->drawString(mark.x(), mark.y(), Scene2D::TEXT_8_BY_13_PIXELS, "|");
        return;
    }
    if (password)
        mark.x() += font->getWidth("*", -1, scale) * cursor;
    else
        mark.x() += font->getWidth(text.c_str(), cursor, scale);
    font->drawText(mark, "|", Float2(scale, scale), -1, false);
}

std::string const& EditText::getText() const
{
    return text;
}

int EditText::getCursor() const
{
    return cursor;
}

Int2 EditText::getPosition() const
{
    return position;
}

void EditText::setPosition(Int2 const& newPosition)
{
    position = newPosition;
}

bool EditText::isActive() const
{
    return active;
}

void EditText::setActive(bool isActive)
{
    active = isActive;
}

bool EditText::isCursorShown() const
{
    return cursorShown;
}
