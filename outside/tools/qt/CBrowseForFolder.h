#pragma once
// Modal folder picker. Paths in and out are CP932 texts with '/' delimiters.
#include <string>

class QWidget;

class CBrowseForFolder {
public:
    // Flag values callers pass to SetFlags. The picker always returns file-system folders and
    // always offers an edit line, so the flags are kept for callers but change nothing.
    static constexpr unsigned BIF_RETURNONLYFSDIRS = 0x0001;
    static constexpr unsigned BIF_DONTGOBELOWDOMAIN = 0x0002;
    static constexpr unsigned BIF_EDITBOX = 0x0010;
    static constexpr unsigned BIF_NEWDIALOGSTYLE = 0x0040;

    // `owner` may be null. `root` (may be null or empty) is the folder the picker opens in when
    // no initial selection is set. `title` is the window caption.
    CBrowseForFolder(QWidget* owner, const char* root, const std::string& title);

    void SetFlags(unsigned flags) { m_flags = flags; }
    unsigned GetFlags() const { return m_flags; }

    // Folder shown selected when the picker opens; a trailing '/' is allowed. A path that does
    // not exist opens the nearest existing parent.
    void SetInitialSelection(const std::string& path) { m_initial = path; }

    // Shows the picker modally. True when the user chose a folder; GetSelectedFolder then holds
    // it. False on cancel (the previous selection is kept).
    bool SelectFolder();

    // The chosen folder without a trailing '/' (except the root folder "/"); empty before a
    // successful SelectFolder.
    const std::string& GetSelectedFolder() const { return m_selected; }

private:
    QWidget* m_owner;
    std::string m_root;
    std::string m_title;
    std::string m_initial;
    std::string m_selected;
    unsigned m_flags = 0;
};
