#ifndef KEYBOARDMANAGER_H
#define KEYBOARDMANAGER_H

// The keyboard as the program sees it: which of the 268 key codes are down, and
// the codes pressed during the current frame. Ordinary keys keep the character
// the toolkit delivers (so 'a' and 'A' differ); special keys use the constants
// below. The toolkit callbacks update the manager registered by init().
// A character key's release clears every character of that physical key, since
// the toolkit names a release by the modifiers held at that moment: Shift let
// go before the letter would otherwise leave 'E' down for good.

#include <vector>

class KeyboardManager
{
public:
    static constexpr int NB_KEYS = 268;

    static constexpr int KEYASCII_F1 = 256;
    static constexpr int KEYASCII_F2 = 257;
    static constexpr int KEYASCII_F3 = 258;
    static constexpr int KEYASCII_F4 = 259;
    static constexpr int KEYASCII_F5 = 260;
    static constexpr int KEYASCII_F6 = 261;
    static constexpr int KEYASCII_F7 = 262;
    static constexpr int KEYASCII_F8 = 263;
    static constexpr int KEYASCII_F9 = 264;
    static constexpr int KEYASCII_F10 = 265;
    static constexpr int KEYASCII_F11 = 266;
    static constexpr int KEYASCII_F12 = 267;
    static constexpr int KEYASCII_RIGHT = 28;
    static constexpr int KEYASCII_LEFT = 29;
    static constexpr int KEYASCII_UP = 30;
    static constexpr int KEYASCII_DOWN = 31;
    static constexpr int KEYASCII_PAGEUP = 33;
    static constexpr int KEYASCII_PAGEDOWN = 34;
    static constexpr int KEYASCII_TABULATION = 9;
    static constexpr int KEYASCII_ENTER = 13;
    static constexpr int KEYASCII_ESCAPE = 27;
    static constexpr int KEYASCII_DEL = 127;

    static constexpr int GETMODIFIER_ACTIVE_SHIFT = 1;
    static constexpr int GETMODIFIER_ACTIVE_CTRL = 2;
    static constexpr int GETMODIFIER_ACTIVE_ALT = 4;

    KeyboardManager();

    // Makes this manager the one the callbacks update and installs the callbacks.
    void init();
    // Marks keys 0-255 up; the function keys keep their state.
    void initKeysAsNotPressed();
    // The toolkit's modifier mask of the current input event.
    int getModifier() const;
    void setKeyPressedEventFunction(void (*function)(int code));

    // The code of a toolkit special key, or -1 for keys the program ignores.
    static int codeOfSpecialKey(int glutKey);
    // How many characters of one physical key a release clears at most.
    static constexpr int MAX_CHARACTERS_OF_KEY = 16;
    // The characters of the physical key that gives `character` under the
    // current keyboard layout (the character itself included, letters in both
    // cases); returns how many were written to `characters`.
    static int charactersOfSamePhysicalKey(unsigned char character,
                                           unsigned char characters[MAX_CHARACTERS_OF_KEY]);

    // Called by the toolkit callbacks; public so that they reach them.
    void keyPressed(int code);
    void keyReleased(int code);
    // A character key let go: every character of its physical key goes up.
    void characterKeyReleased(unsigned char character);

    bool keys[NB_KEYS];
    std::vector<int> keyEvents;
};

#endif
