#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace tolvane::ui {

// The program's help, built in as HTML pages so it is there whatever data folder the program uses.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showContents();
    void showIndex();
    QUrl currentPage() const;
    QString pageText() const;

    static QUrl contentsPage();
    static QUrl indexPage();

private:
    void showPage(const QUrl& page);

    QTextBrowser* m_browser;
};

} // namespace tolvane::ui
