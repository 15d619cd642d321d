#include "KeyboardManager.h"

#include "Errors.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/freeglut.h>
#ifndef _WIN32
#include <GL/glx.h>
#include <X11/XKBlib.h>
#endif
#include <cctype>

namespace
{
// The manager the toolkit callbacks update, and the optional press observer.
KeyboardManager* this_ = NULL;
void (*keyEventFunction)(int code) = NULL;

void keyboardFunc(unsigned char key, int, int)
{
    this_->keyPressed(key);
}

void keyboardUpFunc(unsigned char key, int, int)
{
    this_->characterKeyReleased(key);
}

void specialFunc(int key, int, int)
{
    int const code = KeyboardManager::codeOfSpecialKey(key);
    if (code >= 0)
        this_->keyPressed(code);
}

void specialUpFunc(int key, int, int)
{
    int const code = KeyboardManager::codeOfSpecialKey(key);
    if (code >= 0)
        this_->keyReleased(code);
}

// Key symbols of printable Latin-1 characters are the character codes themselves.
bool isPrintableLatin1(unsigned long keySymbol)
{
    return (keySymbol >= 0x20 && keySymbol <= 0x7E) || (keySymbol >= 0xA0 && keySymbol <= 0xFF);
}

void addCharacter(unsigned char character, unsigned char* characters, int& count)
{
    for (int i = 0; i < count; ++i)
        if (characters[i] == character)
            return;
    if (count < KeyboardManager::MAX_CHARACTERS_OF_KEY)
        characters[count++] = character;
}

#ifdef _WIN32
// The modifiers of the shift states a layout puts characters on: none, Shift,
// AltGr (Ctrl and Alt together to the system) and Shift with AltGr.
BYTE const SHIFT_STATES[][3] = {
    {0, 0, 0}, {VK_SHIFT, 0, 0}, {VK_CONTROL, VK_MENU, 0}, {VK_SHIFT, VK_CONTROL, VK_MENU}};
// Asks ToUnicode to leave the keyboard's pending dead key as it is.
UINT const KEEP_KEYBOARD_STATE = 4;

// Every printable character of the physical key that gives `character` under
// the current layout: the key the layout types it with, read at each shift
// state, so '1' and '!' go together on a US keyboard and '&' and '1' on a
// French one.
void addCharactersOfKeyboardMapping(unsigned char character, unsigned char* characters, int& count)
{
    if (!isPrintableLatin1(character))
        return;
    // Latin-1 characters are the first 256 code points of Unicode.
    SHORT const keyAndShift = VkKeyScanW(static_cast<wchar_t>(character));
    if (keyAndShift == -1)
        return;
    UINT const virtualKey = LOBYTE(keyAndShift);
    UINT const scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    for (auto const& modifiers : SHIFT_STATES)
    {
        // The high bit marks a key held down.
        BYTE state[256] = {};
        for (BYTE const modifier : modifiers)
            if (modifier != 0)
                state[modifier] = 0x80;
        wchar_t typed[4] = {};
        int const length = ToUnicode(virtualKey, scanCode, state, typed, 4, KEEP_KEYBOARD_STATE);
        if (length == 1 && isPrintableLatin1(static_cast<unsigned long>(typed[0])))
            addCharacter(static_cast<unsigned char>(typed[0]), characters, count);
    }
}
#else
// Layouts use up to four groups of up to eight shift levels (Shift, AltGr, ...).
int const NB_KEYBOARD_GROUPS = 4;
int const NB_SHIFT_LEVELS = 8;

// Every printable character of the physical key that gives `character`, read
// from the server's keyboard mapping (which Xlib keeps on the client side, so
// this asks the server nothing): independent of the layout, so '1' and '!' go
// together on a US keyboard and '&' and '1' on a French one.
void addCharactersOfKeyboardMapping(unsigned char character, unsigned char* characters, int& count)
{
    // The callbacks run inside the pump, with the window's context current.
    Display* const display = glXGetCurrentDisplay();
    if (display == NULL || !isPrintableLatin1(character))
        return;
    KeyCode const keyCode = XKeysymToKeycode(display, character);
    if (keyCode == 0)
        return;
    for (int group = 0; group < NB_KEYBOARD_GROUPS; ++group)
        for (int level = 0; level < NB_SHIFT_LEVELS; ++level)
        {
            KeySym const keySymbol = XkbKeycodeToKeysym(display, keyCode, group, level);
            if (isPrintableLatin1(keySymbol))
                addCharacter(static_cast<unsigned char>(keySymbol), characters, count);
        }
}
#endif
}

KeyboardManager::KeyboardManager() : keys{}
{
    this_ = this;
}

void KeyboardManager::init()
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnonnull-compare"
    ASSERT(this != NULL, NULL);
#pragma GCC diagnostic pop
    this_ = this;
    glutKeyboardFunc(keyboardFunc);
    glutKeyboardUpFunc(keyboardUpFunc);
    glutSpecialFunc(specialFunc);
    glutSpecialUpFunc(specialUpFunc);
}

void KeyboardManager::initKeysAsNotPressed()
{
    for (int i = 0; i < 256; ++i)
        keys[i] = false;
}

int KeyboardManager::getModifier() const
{
    return glutGetModifiers();
}

void KeyboardManager::setKeyPressedEventFunction(void (*function)(int code))
{
    keyEventFunction = function;
}

int KeyboardManager::codeOfSpecialKey(int glutKey)
{
    if (glutKey >= GLUT_KEY_F1 && glutKey <= GLUT_KEY_F12)
        return KEYASCII_F1 + (glutKey - GLUT_KEY_F1);
    switch (glutKey)
    {
    case GLUT_KEY_RIGHT:
        return KEYASCII_RIGHT;
    case GLUT_KEY_LEFT:
        return KEYASCII_LEFT;
    case GLUT_KEY_UP:
        return KEYASCII_UP;
    case GLUT_KEY_DOWN:
        return KEYASCII_DOWN;
    case GLUT_KEY_PAGE_UP:
        return KEYASCII_PAGEUP;
    case GLUT_KEY_PAGE_DOWN:
        return KEYASCII_PAGEDOWN;
    default:
        return -1;
    }
}

int KeyboardManager::charactersOfSamePhysicalKey(unsigned char character,
                                                 unsigned char characters[MAX_CHARACTERS_OF_KEY])
{
    int count = 0;
    addCharacter(character, characters, count);
    // Letters pair with their other case even where no keyboard mapping is at hand.
    if (character < 0x80 && std::isalpha(character))
        addCharacter(static_cast<unsigned char>(std::islower(character) ? std::toupper(character)
                                                                         : std::tolower(character)),
                     characters, count);
    addCharactersOfKeyboardMapping(character, characters, count);
    return count;
}

void KeyboardManager::keyPressed(int code)
{
    if (keyEventFunction != NULL)
        keyEventFunction(code);
    keyEvents.push_back(code);
    keys[code] = true;
}

void KeyboardManager::keyReleased(int code)
{
    keys[code] = false;
}

void KeyboardManager::characterKeyReleased(unsigned char character)
{
    unsigned char characters[MAX_CHARACTERS_OF_KEY] = {};
    int const count = charactersOfSamePhysicalKey(character, characters);
    for (int i = 0; i < count; ++i)
        keyReleased(characters[i]);
}
