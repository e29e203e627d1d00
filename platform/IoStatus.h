#pragma once

#include <string>

namespace nuvero::platform {

// Outcome of a file-system step. The code is a Windows system error number (2 file not
// found, 3 path not found, 5 access denied, ...) on every platform, because the program's
// messages are keyed by those numbers; the POSIX back end translates errno into them.
class IoStatus {
public:
    IoStatus() = default;
    explicit IoStatus(int code)
        : m_code(code)
    {
    }

    static IoStatus success() { return IoStatus(); }

    bool ok() const { return m_code == 0; }
    explicit operator bool() const { return ok(); }
    int code() const { return m_code; }

    // The text the program shows for this failure ("File not found", "I/O error 183").
    std::string text() const;

    friend bool operator==(const IoStatus&, const IoStatus&) = default;

private:
    int m_code = 0;
};

// Windows system error numbers the program names.
namespace IoCode {
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int TooManyOpenFiles = 4;
inline constexpr int AccessDenied = 5;
inline constexpr int InvalidHandle = 6;
inline constexpr int NotEnoughMemory = 8;
inline constexpr int WriteProtect = 19;
inline constexpr int NotReady = 21;
inline constexpr int SharingViolation = 32;
inline constexpr int NotSupported = 50;
inline constexpr int FileExists = 80;
inline constexpr int InvalidParameter = 87;
inline constexpr int ReadBeyondEnd = 100;
inline constexpr int DiskFull = 101;
inline constexpr int InvalidNumericInput = 106;
inline constexpr int DirNotEmpty = 145;
inline constexpr int FilenameTooLong = 206;
inline constexpr int AlreadyExists = 183;
inline constexpr int CantResolveFilename = 1921;
} // namespace IoCode

// "File not found" for 2, ... "I/O error %d" for codes without a text of their own.
std::string ioErrorText(int code);

} // namespace nuvero::platform
