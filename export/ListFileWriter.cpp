#include "export/ListFileWriter.h"

#include "platform/Platform.h"
#include "platform/Utf8.h"
#include "results/RowList.h"

namespace nuvero {

namespace {

// Lines are collected and handed to the file in pieces of about this size; the platform's
// own buffer does the rest.
constexpr std::size_t ChunkSize = 256 * 1024;

} // namespace

int ListFileWriter::nameColumn(std::string_view path)
{
    const auto length = static_cast<long long>(utf8::countChars(path));
    long long column = 50;
    if (column < length + 10)
        column += (length + 10 - column + 9) / 10 * 10;
    return static_cast<int>(column);
}

void ListFileWriter::appendLine(std::string& out, std::string_view path, std::string_view name)
{
    const auto length = static_cast<long long>(utf8::countChars(path));
    out.append(path);
    out.append(static_cast<std::size_t>(nameColumn(path) - 1 - length), ' ');
    out.append(name);
    out.append(" \r\n");
}

platform::IoStatus ListFileWriter::write(std::string_view filePath, const RowList& rows)
{
    platform::OutputFile file;
    if (platform::IoStatus status = file.create(filePath); !status)
        return status;
    return writeRows(file, rows);
}

platform::IoStatus ListFileWriter::writeHostFile(std::string_view hostPath, const RowList& rows)
{
    platform::OutputFile file;
    if (platform::IoStatus status = file.createHost(hostPath); !status)
        return status;
    return writeRows(file, rows);
}

platform::IoStatus ListFileWriter::writeRows(platform::OutputFile& file, const RowList& rows)
{
    const int count = rows.size();
    std::string chunk;
    chunk.reserve(ChunkSize + 4096);
    for (int i = 0; i < count; ++i) {
        const ResultRow& row = rows.row(i);
        appendLine(chunk, row.pathText(), row.name);
        if (chunk.size() >= ChunkSize || i + 1 == count) {
            // Whole lines only: a chunk never splits a character.
            if (platform::IoStatus status = file.write(platform::toListFileText(chunk)); !status) {
                file.close(); // keeps what was written before
                return status;
            }
            chunk.clear();
        }
    }
    return file.close();
}

std::string ListFileWriter::autoFileName(DateTime threshold)
{
    const CalendarTime t = threshold.calendar();
    std::string name = "d:\\fls1";
    appendTwoDigits(name, t.hour);
    name += ' ';
    appendTwoDigits(name, t.minute);
    name += ' ';
    appendTwoDigits(name, t.second);
    name += '_';
    appendTwoDigits(name, t.day);
    name += ' ';
    appendTwoDigits(name, t.month);
    name += ' ';
    const std::string year = std::to_string(t.year);
    name.append(year.size() < 4 ? 4 - year.size() : 0, '0');
    name += year;
    return name;
}

platform::IoStatus ListFileWriter::saveList(bool autoSave, DateTime threshold, const RowList& rows)
{
    if (!autoSave)
        return platform::IoStatus::success();
    return write(autoFileName(threshold), rows);
}

} // namespace nuvero
