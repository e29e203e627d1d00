#include "results/FileCommands.h"

#include "platform/Platform.h"
#include "results/CommandUi.h"
#include "results/RowList.h"
#include "results/Translite.h"

namespace nuvero {

namespace {

constexpr const char* RenameAllQuestion
    = "Are you sure to transliterate and rename all files and dirictories from the list? ";

// The texts of a row the commands work with, copied before the first message box: the
// box's modal loop lets the search job append rows, which may move the row store.
struct RowTexts {
    std::string path;
    std::string name;
    std::string fullPath;
    bool folder = false;

    explicit RowTexts(const ResultRow& row)
        : path(row.pathText())
        , name(row.name)
        , fullPath(row.fullPath())
        , folder(row.dir)
    {
    }
};

std::string renameQuestion(const RowTexts& row, const std::string& newName)
{
    return "Rename " + row.fullPath + " to " + newName + " ?";
}

bool isRow(const RowList& rows, std::optional<int> index)
{
    return index && *index >= 0 && *index < rows.size();
}

// True when the row at index is still the one a command read before its questions. Only
// appends can happen meanwhile, so this holds; the test keeps a command from ever changing
// or removing some other row should that change.
bool stillThere(const RowList& rows, int index, const RowTexts& row)
{
    if (index < 0 || index >= rows.size())
        return false;
    const ResultRow& now = rows.row(index);
    return now.pathText() == row.path && now.name == row.name;
}

} // namespace

FileCommands::FileCommands(RowList& rows, CommandUi& ui)
    : m_rows(rows)
    , m_ui(ui)
{
}

void FileCommands::deleteFile(std::optional<int> selectedRow)
{
    if (!isRow(m_rows, selectedRow))
        return;
    const int index = *selectedRow;
    const RowTexts row(m_rows.row(index));
    m_ui.setStatus(row.fullPath);
    // The open test comes before the question: a folder, or a file that cannot be opened
    // for writing, is reported without asking.
    if (!platform::openReadWriteTest(row.fullPath)) {
        m_ui.ioError();
        return;
    }
    if (!m_ui.confirm("Erase " + row.fullPath + "?"))
        return;
    if (!platform::deleteFile(row.fullPath)) {
        m_ui.ioError();
        return;
    }
    if (stillThere(m_rows, index, row))
        m_rows.eraseRow(index);
}

void FileCommands::renameOne(std::optional<int> selectedRow)
{
    if (!isRow(m_rows, selectedRow))
        return;
    const int index = *selectedRow;
    const RowTexts row(m_rows.row(index));
    if (row.folder) {
        renameFolderRow(index);
        return;
    }
    m_ui.setStatus(row.fullPath);
    const std::string newName = translite(row.name);
    m_ui.setStatus(newName);
    if (!m_ui.confirm(renameQuestion(row, newName)))
        return;
    if (!platform::moveFile(row.fullPath, row.path + '\\' + newName)) {
        m_ui.ioError();
        return;
    }
    if (stillThere(m_rows, index, row))
        m_rows.setName(index, newName);
}

void FileCommands::renameAll()
{
    if (!m_ui.confirm(RenameAllQuestion))
        return;
    // Rows that the search adds while this runs are not processed.
    const int count = m_rows.size();
    for (int index = 0; index < count && index < m_rows.size(); ++index) {
        const RowTexts row(m_rows.row(index));
        if (row.folder) {
            if (renameFolderRow(index) == Outcome::Stop)
                return;
            continue;
        }
        m_ui.setStatus(row.fullPath);
        const std::string newName = translite(row.name);
        m_ui.setStatus(newName);
        // The Name cell changes only once the file has its new name, so that a failed
        // rename (a folder above renamed earlier in this run, an existing target) leaves
        // the row naming the file as it still is on disk.
        if (!platform::moveFile(row.fullPath, row.path + '\\' + newName)) {
            m_ui.ioError();
            continue;
        }
        m_rows.setName(index, newName);
    }
}

FileCommands::Outcome FileCommands::renameFolderRow(int index)
{
    const RowTexts row(m_rows.row(index));
    // Entering the Path only tests it and reads back its spelling; the working directory
    // stays where it is. A Path that cannot be entered is no I/O failure of the rename: it
    // goes to the general error report and ends the command.
    std::string entered;
    if (const platform::IoStatus status = platform::enterFolder(row.path, &entered); !status) {
        m_ui.generalError(status.text());
        return Outcome::Stop;
    }
    const std::string newName = translite(row.name);
    if (!m_ui.confirm(renameQuestion(row, newName)))
        return Outcome::Done;
    m_ui.setStatus(entered + '\\' + newName);
    if (!platform::moveFile(entered + '\\' + row.name, entered + '\\' + newName)) {
        m_ui.ioError();
        return Outcome::Done;
    }
    if (stillThere(m_rows, index, row))
        m_rows.setName(index, newName);
    return Outcome::Done;
}

void FileCommands::renameDir(const std::string& chosenPath)
{
    if (chosenPath.empty())
        return;
    const std::string newPath = translite(chosenPath);
    m_ui.setStatus(chosenPath + "      " + newPath);
    if (!platform::moveFile(chosenPath, newPath))
        m_ui.ioError();
}

} // namespace nuvero
