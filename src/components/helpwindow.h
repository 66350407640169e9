// The HTML help in a window of the program's own, for desktops where no opener takes the help file
// (none installed, or it refused): a text browser on the file, its links followed inside it and
// addresses outside it handed to the desktop. One window per owner, shown again when asked again.
#pragma once

#include <QWidget>
#include <string>

class QTextBrowser;
class ShellOpener;

class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);
    // Shows htmlFile (a local file) and brings the window to the front.
    void ShowFile(const std::string& htmlFile);

private:
    QTextBrowser* m_browser;
};

// Hands file to the desktop's opener; where it does not take it, shows file in owner's help window.
void ShowHelp(ShellOpener& opener, const std::string& file, QWidget* owner);
