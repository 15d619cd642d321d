#ifndef DATAFOLDER_H
#define DATAFOLDER_H

// The game data folder being filled: writes files by their path relative to
// the folder (making sub-folders as needed) and remembers which files were
// written and whether every write succeeded, so the generator can report one
// clear failure at the end instead of leaving a half-made folder unnoticed.

#include "Canvas.h"

#include <string>
#include <vector>

class DataFolder
{
public:
    explicit DataFolder(std::string const& root);

    void savePicture(std::string const& relativePath, Canvas const& picture, bool withAlpha);
    void saveBytes(std::string const& relativePath, std::string const& bytes);

    bool isOk() const { return ok; }
    // Relative paths of the files written so far, in writing order.
    std::vector<std::string> const& getWrittenFiles() const { return writtenFiles; }
    std::string getPath(std::string const& relativePath) const;

private:
    // Makes every folder on the way to the file; false (reported) on failure.
    bool makeParentFolders(std::string const& relativePath);
    void finishWrite(std::string const& relativePath, bool succeeded);

    std::string root;
    std::vector<std::string> writtenFiles;
    bool ok;
};

#endif
