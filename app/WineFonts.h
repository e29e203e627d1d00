#pragma once

#include <QStringList>

namespace nuvero {

// Under Wine, stand-ins for the Windows font families Qt cannot draw. Wine may lack them
// (Debian's Wine does not find the Tahoma and "MS Sans Serif" of its fonts-wine package),
// and Qt then falls back to the first family of its list, which on a Linux host can be a
// math face ("DejaVu Math TeX Gyre") whose Windows text height is four times its line
// height: line edits centre that height in their box and draw their text above it.
//
// When the process runs under Wine, each of `families` that Qt's font database cannot draw
// is mapped to the face Wine's GDI draws the desktop's message font with, the face of
// Wine's own dialogs. On Windows itself this does nothing. Call it on the GUI thread after
// the application object exists and before the first widget takes its font.
void substituteMissingFamiliesUnderWine(const QStringList& families);

} // namespace nuvero
