#pragma once

#include "platform/IoStatus.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nuvero::platform {

// A file written from the start: created anew or emptied and overwritten. Buffering is
// shared (OutputFile.cpp); opening, flushing and closing are each back end's own.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    IoStatus create(std::string_view path);
    // The same for a host path taken exactly as given, as a file dialog returns it after
    // the user confirmed it: no drive mapping, no path rules applied to it.
    IoStatus createHost(std::string_view hostPath);
    IoStatus write(std::string_view bytes);
    IoStatus close(); // flushes; reports a failed flush (a full disk)

private:
    // Writes go out in pieces of a MiB: a list of a million rows in about seventy calls.
    static constexpr std::size_t BufferSize = 1 << 20;
    IoStatus flush(); // each back end's own
    std::intptr_t m_handle = -1; // a descriptor or a HANDLE; -1 when closed
    std::string m_buffer;
};

} // namespace nuvero::platform
