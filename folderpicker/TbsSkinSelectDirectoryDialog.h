#pragma once

#include <QFont>
#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

namespace nuvero {

class TbsSelDirDlgForm;

// The folder picker component the main window owns (one instance for the life of the
// window). Every Execute builds a fresh modal window with a freshly read drive and folder
// tree, and destroys it before returning.
//
// Directory is a program path (UTF-8, "C:\Windows"): the folder the tree opens at, and
// after an OK the chosen one: "C:\" for a drive, "C:\Windows\System32" (no trailing "\")
// for a folder, empty for the computer node or no selection. Cancel, Esc and the close
// button leave it as it was, so it keeps the last OK's folder.
//
// Window's thread only.
class TbsSkinSelectDirectoryDialog : public QObject {
    Q_OBJECT

public:
    static constexpr int InitialClientWidth = 250;
    static constexpr int InitialClientHeight = 250;

    // The window is created with the owner's window as its parent when the owner is a
    // widget, so that it stays above it.
    explicit TbsSkinSelectDirectoryDialog(QObject* owner = nullptr);
    ~TbsSkinSelectDirectoryDialog() override;

    // Shows the picker modally; true only when it was closed with "Ok" (or Enter).
    bool Execute();

    // The open window while Execute runs, else nullptr.
    TbsSelDirDlgForm* dialogWindow() const { return m_dialog; }

    QString Title = QStringLiteral("Select folder");
    std::string Directory;
    QFont DefaultFont = defaultFont();
    bool AlphaBlend = false;
    std::uint8_t AlphaBlendValue = 200; // opacity while AlphaBlend is on; 255 is opaque
    bool AlphaBlendAnimation = false; // kept for the callers' settings; draws nothing

    // Client size the window had when it last closed, however it was closed; 0 until the
    // first pick. Lives in memory only.
    std::int32_t DialogWidth = 0;
    std::int32_t DialogHeight = 0;

private:
    static QFont defaultFont();

    TbsSelDirDlgForm* m_dialog = nullptr;
};

} // namespace nuvero
