#include "components/helpwindow.h"

#include "platform/shellopener.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Chronivo Help"));
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setAccessibleName(tr("Help"));
    m_browser->setOpenExternalLinks(true); // web addresses go to the desktop, if it has a browser
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 560);
}

void HelpWindow::ShowFile(const std::string& htmlFile)
{
    const QString file = QString::fromStdString(htmlFile);
    // A help that is missing or no HTML (a ".chm") is said, rather than an empty window shown.
    if (QFileInfo(file).isFile() && !file.endsWith(QStringLiteral(".chm"), Qt::CaseInsensitive))
        m_browser->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    else
        m_browser->setPlainText(tr("The help file %1 cannot be shown here.").arg(file));
    show();
    raise();
    activateWindow();
}

void ShowHelp(ShellOpener& opener, const std::string& file, QWidget* owner)
{
    if (opener.Execute("open", file, {}, {}))
        return;
    auto* window = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new HelpWindow(owner);
    window->ShowFile(file);
}
