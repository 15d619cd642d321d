#include "KeyboardManager.h"

#include "Errors.h"

#include <GL/freeglut.h>

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
    this_->keyReleased(key);
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
