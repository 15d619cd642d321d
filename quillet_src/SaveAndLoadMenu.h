#ifndef SAVEANDLOADMENU_H
#define SAVEANDLOADMENU_H

// A clickable list of the entries of a folder, used to pick world and game-save
// files, with an optional last row that lets the user type a new name into a
// text field. The owner opens it; it closes itself when a file is chosen (by a
// click, or by Enter on a typed name) or on Escape. A message can be shown for
// a while after each choice. The menu owns its list and its name field; the
// device manager and the font are the caller's.

#include "BasicVector.h"

#include <string>
#include <vector>

class DeviceManager;
class EditText;
class Font;

class SaveAndLoadMenu
{
public:
    static constexpr int NAME_MAX_LENGTH = 255;
    // Rows under the mouse are drawn this much larger.
    static constexpr float HOVERED_ROW_SCALE = 1.5f;

    SaveAndLoadMenu(DeviceManager* dm, Font const& font);
    ~SaveAndLoadMenu();
    SaveAndLoadMenu(SaveAndLoadMenu const&) = delete;
    SaveAndLoadMenu& operator=(SaveAndLoadMenu const&) = delete;

    // Lists the folder's entries (none for null or a folder that cannot be read).
    void setOrUpdateFileListFromFolder(char const* folder);
    // Once per frame while shown: the chosen path (folder/name), valid until
    // the next choice, or null.
    char const* manageAndGetFileOrNull();
    void injectKeyEvent(unsigned char key);
    void draw();
    // The row under the mouse: 0 for the first file, -1 above the list; it may
    // be past the last row.
    int getSelectedFileWithMouse() const;

    // A button held while the menu opens is not taken as a pick.
    void open();
    bool isOpen() const;
    bool isEditing() const;
    void setPosition(Int2 const& newPosition);
    // Null removes the new-file row. The text is the caller's and must outlive the menu's use of it.
    void setNewFileLabel(char const* label);
    // Added to typed names that do not already end with it.
    void setExtension(std::string const& newExtension);
    void setMessage(std::string const& text);
    void setMessagePosition(Int2 const& newPosition);
    void setMessageDuration(int milliseconds);
    std::vector<std::string> const& getFileNames() const;

    // A typed name with the extension added unless it already ends with it.
    static std::string withExtension(std::string const& name, std::string const& extension);

private:
    char const* choose_(std::string const& name);
    char const* manageList_();
    void close_();

    DeviceManager* dm;
    Font const* font;
    Int2 position;
    std::vector<std::string> fileNames;
    // The left button was taken as a click and has not been released since.
    bool mouseHeld;
    char const* newFileLabel;
    EditText* nameField;
    bool editing;
    // Set by Enter on a non-empty name, taken by the next manage step.
    bool nameTyped;
    std::string typedName;
    std::string extension;
    std::string message;
    Int2 messagePosition;
    int messageDuration;
    int messageEndTime;
    std::string resultPath;
    std::string folder;
    bool opened;
};

#endif
