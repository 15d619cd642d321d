#include "SaveAndLoadMenu.h"

#include "DeviceManager.h"
#include "EditText.h"
#include "Errors.h"
#include "FileManager.h"
#include "Font.h"
#include "KeyboardManager.h"
#include "Utils.h"

SaveAndLoadMenu::SaveAndLoadMenu(DeviceManager* dm, Font const& font)
    : dm(dm),
      font(&font),
      position(0, 0),
      fileNames(),
      mouseHeld(false),
      newFileLabel(NULL),
      nameField(NULL),
      editing(false),
      nameTyped(false),
      typedName(),
      extension(),
      message(),
      messagePosition(0, 0),
      messageDuration(0),
      messageEndTime(-1),
      resultPath(),
      folder(),
      opened(false)
{
    ASSERT(dm != NULL, NULL);
    nameField = new EditText(false, NAME_MAX_LENGTH, Int2(-300, -300), &font, false, false);
}

SaveAndLoadMenu::~SaveAndLoadMenu()
{
    delete nameField;
}

void SaveAndLoadMenu::setOrUpdateFileListFromFolder(char const* newFolder)
{
    folder = newFolder != NULL ? newFolder : "";
    fileNames.clear();
    if (newFolder == NULL)
        return;
    std::vector<std::string>* const listed = FileManager::getDirectoryFiles(folder);
    if (listed == NULL)
        return;
    fileNames = *listed;
    delete listed;
}

int SaveAndLoadMenu::getSelectedFileWithMouse() const
{
    int const lineHeight = font->getHeight();
    if (lineHeight <= 0)
        return -1;
    int const offset = dm->getMousePosition().y() - position.y();
    // Rounded down, so that a point just above the list is not its first row.
    return offset >= 0 ? offset / lineHeight : (offset + 1) / lineHeight - 1;
}

char const* SaveAndLoadMenu::manageAndGetFileOrNull()
{
    if (folder.empty() || !opened)
        return NULL;
    if (!editing)
        return manageList_();
    if (!nameTyped)
        return NULL;
    nameTyped = false;
    editing = false;
    std::string const name = typedName;
    typedName.clear();
    return choose_(withExtension(name, extension));
}

char const* SaveAndLoadMenu::manageList_()
{
    if (!dm->getMouseButton(GLManager::MOUSE_LEFT_BUTTON))
    {
        mouseHeld = false;
        return NULL;
    }
    if (mouseHeld)
        return NULL;
    mouseHeld = true;
    int const row = getSelectedFileWithMouse();
    int const count = static_cast<int>(fileNames.size());
    if (row >= 0 && row < count)
        return choose_(fileNames[static_cast<size_t>(row)]);
    if (row == count && newFileLabel != NULL)
    {
        editing = true;
        nameField->eraseText();
        nameField->setActive(true);
    }
    return NULL;
}

char const* SaveAndLoadMenu::choose_(std::string const& name)
{
    resultPath = folder + "/" + name;
    messageEndTime = Utils::getTime() + messageDuration;
    close_();
    return resultPath.c_str();
}

void SaveAndLoadMenu::close_()
{
    opened = false;
    editing = false;
}

std::string SaveAndLoadMenu::withExtension(std::string const& name, std::string const& extension)
{
    bool const hasIt = name.size() > extension.size() &&
                       name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
    return hasIt ? name : name + extension;
}

void SaveAndLoadMenu::injectKeyEvent(unsigned char key)
{
    if (!opened)
        return;
    if (key == KeyboardManager::KEYASCII_ESCAPE)
    {
        close_();
        return;
    }
    if (!editing)
        return;
    nameField->injectKeyEvent(key);
    // An empty name would only be the extension: Enter waits for a name.
    if (key == KeyboardManager::KEYASCII_ENTER && !nameField->getText().empty())
    {
        typedName = nameField->getText();
        nameTyped = true;
    }
}

void SaveAndLoadMenu::draw()
{
    if (Utils::getTime() < messageEndTime)
        font->drawText(messagePosition, message.c_str(), Float2(1.f, 1.f), -1, false);
    if (folder.empty() || !opened)
        return;
    if (editing)
    {
        nameField->setPosition(position);
        nameField->draw(1.f);
        return;
    }
    int const lineHeight = font->getHeight();
    int const hovered = getSelectedFileWithMouse();
    size_t const rows = fileNames.size() + (newFileLabel != NULL ? 1 : 0);
    for (size_t i = 0; i < rows; ++i)
    {
        char const* const text = i < fileNames.size() ? fileNames[i].c_str() : newFileLabel;
        float const scale = static_cast<int>(i) == hovered ? HOVERED_ROW_SCALE : 1.f;
        Int2 const rowPosition(position.x(), position.y() + static_cast<int>(i) * lineHeight);
        font->drawText(rowPosition, text, Float2(scale, scale), -1, false);
    }
}

void SaveAndLoadMenu::open()
{
    opened = true;
    mouseHeld = dm->getMouseButton(GLManager::MOUSE_LEFT_BUTTON);
}

bool SaveAndLoadMenu::isOpen() const
{
    return opened;
}

bool SaveAndLoadMenu::isEditing() const
{
    return editing;
}

void SaveAndLoadMenu::setPosition(Int2 const& newPosition)
{
    position = newPosition;
}

void SaveAndLoadMenu::setNewFileLabel(char const* label)
{
    newFileLabel = label;
}

void SaveAndLoadMenu::setExtension(std::string const& newExtension)
{
    extension = newExtension;
}

void SaveAndLoadMenu::setMessage(std::string const& text)
{
    message = text;
}

void SaveAndLoadMenu::setMessagePosition(Int2 const& newPosition)
{
    messagePosition = newPosition;
}

void SaveAndLoadMenu::setMessageDuration(int milliseconds)
{
    messageDuration = milliseconds;
}

std::vector<std::string> const& SaveAndLoadMenu::getFileNames() const
{
    return fileNames;
}
