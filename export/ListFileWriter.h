#pragma once

#include "platform/DateTime.h"
#include "platform/IoStatus.h"
#include "search/ResultRow.h"

#include <string>
#include <string_view>

namespace nuvero {

class RowList;

namespace platform {
class OutputFile;
}

// Writes the results list to a plain text file: one line per row in display order, the
// Path, spaces up to the Name's column, the Name, one space, CR LF. The text is in the
// system's list file encoding (platform::toListFileText: the ANSI code page on Windows,
// the names' own bytes on Linux); there is no header and no byte-order mark. Runs on the window's thread,
// which owns the list.
class ListFileWriter {
public:
    // Appends one row's line, CR LF included. The Name starts at column C (from 1), the
    // smallest of 50, 60, 70, ... that is at least L + 10, where L is the Path's length in
    // characters (an invalid UTF-8 byte counts as one).
    static void appendLine(std::string& out, std::string_view path, std::string_view name);
    static int nameColumn(std::string_view path);

    // Creates (or empties) the file and writes the rows. On a failure the writing stops
    // there and what was written stays; the status names the platform error
    // ("File access denied", "Invalid filename", "Disk full", "I/O error %d").
    // The rows are those in the list now; rows added later are not written.
    static platform::IoStatus write(std::string_view filePath, const RowList& rows);
    // The same to a host file named exactly as given: the file the user confirmed in the
    // save dialog, whatever characters its name holds.
    static platform::IoStatus writeHostFile(std::string_view hostPath, const RowList& rows);

    // The automatic save's file: "d:\fls1" and the threshold as "hh nn ss_dd mm yyyy".
    static std::string autoFileName(DateTime threshold);

    // Savelist: with "AutoSave" checked, writes the list to the automatic file; otherwise
    // writes nothing and reports success.
    static platform::IoStatus saveList(bool autoSave, DateTime threshold, const RowList& rows);

private:
    static platform::IoStatus writeRows(platform::OutputFile& file, const RowList& rows);
};

} // namespace nuvero
