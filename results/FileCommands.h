#pragma once

#include <optional>
#include <string>

namespace nuvero {

class CommandUi;
class RowList;

// The results list's file commands: delete a row's file, transliterate and rename one
// row's entry or every row's entry, and rename a chosen folder to its transliterated path.
// Plain logic on the window's thread over the list and the platform layer; questions,
// error boxes and status texts go through CommandUi.
//
// The process's working directory is never changed (the search walk runs meanwhile):
// a folder row's Path is only tested with enterFolder, and every rename uses full paths.
// A rename never replaces an existing file or folder; it fails with the I/O error box.
class FileCommands {
public:
    FileCommands(RowList& rows, CommandUi& ui);

    // "&Delete File" (DeleteFile1Click) on the selected row, if any.
    void deleteFile(std::optional<int> selectedRow);
    // "Translite and rename it" (ransliteit1Click) on the selected row, if any.
    void renameOne(std::optional<int> selectedRow);
    // "Transilte and rename ALL" (ransilteandrenameall1Click) on the rows in the list
    // when it starts, in display order.
    void renameAll();
    // "Rename Dir" (RenameDir1Click) with the folder picker's Directory.
    void renameDir(const std::string& chosenPath);

private:
    enum class Outcome { Done, Stop };

    // One folder row of the rename commands. Stop: its Path could not be entered, which
    // ends the whole command.
    Outcome renameFolderRow(int index);

    RowList& m_rows;
    CommandUi& m_ui;
};

} // namespace nuvero
