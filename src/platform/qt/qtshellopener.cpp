#include "platform/qt/qtshellopener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool QtShellOpener::Execute(const std::string& verb, const std::string& file, const std::string& /*parameters*/,
                            const std::string& /*folder*/)
{
    // The desktop's opener knows only one verb; anything else is not ours to guess.
    if (verb != "open" || file.empty())
        return false;
    const QString target = QString::fromStdString(file);
    const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl(target);
    return QDesktopServices::openUrl(url);
}
