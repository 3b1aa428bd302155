#include "ui/main/help_window.h"

#include "ui/main/escape_closes.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

// The pages live in this static library; its resources must be registered by hand.
static void registerHelpPages()
{
    Q_INIT_RESOURCE(help);
}

namespace tolvane::ui {

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    registerHelpPages();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tolvane Help"));
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto* index = new QPushButton(QStringLiteral("&Index"), this);
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(index, &QPushButton::clicked, this, &HelpWindow::showIndex);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(index);
    buttons->addWidget(back);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(640, 560);
    closeOnEscape(this);
}

QUrl HelpWindow::contentsPage()
{
    return QUrl(QStringLiteral("qrc:/help/contents.html"));
}

QUrl HelpWindow::indexPage()
{
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

void HelpWindow::showContents()
{
    showPage(contentsPage());
}

void HelpWindow::showIndex()
{
    showPage(indexPage());
}

void HelpWindow::showPage(const QUrl& page)
{
    m_browser->setSource(page);
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}

QString HelpWindow::pageText() const
{
    return m_browser->toPlainText();
}

} // namespace tolvane::ui
