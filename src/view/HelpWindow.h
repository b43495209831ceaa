#pragma once
// The help page in a window of Kelu's own, for a desktop that has no browser to hand it to.

#include <QTextBrowser>

class CHelpWindow : public QTextBrowser {
public:
    // Shows the page at strPath (a file); a missing page is said in words.
    explicit CHelpWindow(const QString& strPath);
};
