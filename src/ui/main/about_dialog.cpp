#include "ui/main/about_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace tolvane::ui {

AboutDialog::AboutDialog(bool practice, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About Tolvane"));

    QString version = QApplication::applicationVersion();
    if (version.isEmpty())
        version = QStringLiteral("1.0.0");
    const QString practiceLine = practice
        ? QStringLiteral("<p><b>This start uses the practice line.</b> Every port is served by a simulated modem "
                         "and paging terminal; no page leaves this computer.</p>")
        : QStringLiteral("<p>To try the program without a modem, start it with <tt>--practice</tt>: a simulated "
                         "modem and paging terminal then answer on every port.</p>");
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setText(QStringLiteral("<h2>Tolvane %1</h2>"
                                 "<p>A paging client for the office. Keep a directory of people, paging companies "
                                 "and groups, type a short message, and send it at once to one person or queue it "
                                 "for many, now or at a set time.</p>"
                                 "<p>Tolvane delivers the pages itself: it dials each paging company's terminal "
                                 "through a Hayes modem and speaks the Telocator Alphanumeric Protocol (TAP) to "
                                 "it; numeric pagers are paged by dialling touch-tone digits. Every page is "
                                 "written to the page log.</p>%2")
                      .arg(version.toHtmlEscaped(), practiceLine));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setMinimumWidth(440);
}

} // namespace tolvane::ui
