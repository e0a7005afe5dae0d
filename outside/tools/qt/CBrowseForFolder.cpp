#include "outside/tools/qt/CBrowseForFolder.h"

#include "platform/qt/QtText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The nearest folder of `path` that exists, so a stale setting still opens somewhere useful.
QString ExistingFolder(const QString& path) {
    QString p = QDir::cleanPath(path);
    while (!p.isEmpty()) {
        if (QFileInfo(p).isDir())
            return p;
        const QString parent = QFileInfo(p).path();
        if (parent == p)
            break;
        p = parent;
    }
    return {};
}

} // namespace

CBrowseForFolder::CBrowseForFolder(QWidget* owner, const char* root, const std::string& title)
    : m_owner(owner), m_root(root ? root : ""), m_title(title) {}

bool CBrowseForFolder::SelectFolder() {
    QFileDialog dlg(m_owner, platform::ToQString(m_title));
    dlg.setObjectName("CBrowseForFolder");
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    // The same picker on every desktop, and one that tests can drive.
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);

    QString start;
    if (!m_initial.empty())
        start = ExistingFolder(platform::ToQString(m_initial));
    if (start.isEmpty() && !m_root.empty())
        start = ExistingFolder(platform::ToQString(m_root));
    // Opened inside the selection, so accepting at once returns it unchanged.
    if (!start.isEmpty())
        dlg.setDirectory(start);

    if (dlg.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return false;
    m_selected = platform::FromQString(QDir::cleanPath(files.front()));
    return true;
}
