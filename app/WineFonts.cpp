#include "app/WineFonts.h"

#include "platform/win32/WindowsApi.h"

#include <QFont>
#include <QFontDatabase>

namespace nuvero {

namespace {

bool runningUnderWine()
{
    // Only Wine's ntdll has this entry; the system's own never had it.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The face GDI really draws the message font with, after the substitutes ("MS Shell Dlg"
// to Tahoma) and, where that is missing, the host's own choice. Empty when GDI says none.
QString messageFontFace()
{
    NONCLIENTMETRICSW metrics {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return {};
    const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (font == nullptr)
        return {};
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    const int copied = GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(font);
    return copied > 0 ? QString::fromWCharArray(face) : QString();
}

} // namespace

void substituteMissingFamiliesUnderWine(const QStringList& families)
{
    if (!runningUnderWine())
        return;
    // A family Qt lists without styles ("MS Shell Dlg", added for the system font but not
    // enumerated by Wine) cannot be drawn either.
    const QString face = messageFontFace();
    if (face.isEmpty() || QFontDatabase::styles(face).isEmpty())
        return;
    for (const QString& family : families) {
        if (QFontDatabase::styles(family).isEmpty())
            QFont::insertSubstitution(family, face);
    }
}

} // namespace nuvero
