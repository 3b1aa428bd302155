#include "platform/dialog_service.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "store/codepage.h"

#include <cstdio>

namespace tolvane::platform {
namespace {

QString titleOr(const QString& title)
{
    return title.isEmpty() ? QStringLiteral("Tolvane") : title;
}

QMessageBox::Icon boxIcon(DialogService::Icon icon)
{
    switch (icon) {
    case DialogService::Icon::Information:
        return QMessageBox::Information;
    case DialogService::Icon::Warning:
        return QMessageBox::Warning;
    case DialogService::Icon::Critical:
        return QMessageBox::Critical;
    case DialogService::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

void printLine(const QString& text)
{
    // A box breaks its lines at a bare CR (the error box does), and its text may come from files or the
    // paging service: on a terminal, line breaks and control characters made visible.
    const std::string shown = store::visibleControls(text.toUtf8().toStdString());
    const QByteArray bytes = QString::fromStdString(shown).toLocal8Bit();
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
}

} // namespace

WidgetDialogService::WidgetDialogService(QWidget* parent)
    : m_parent(parent)
{
}

QWidget* WidgetDialogService::owner() const
{
    // Parented to the main window, a box raised by another window would bring the main window in front of
    // that one, which would then look closed.
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : m_parent;
}

void WidgetDialogService::showMessage(const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(boxIcon(icon), titleOr(title), text, QMessageBox::Ok, owner());
    box.exec();
}

bool WidgetDialogService::askQuestion(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::Yes | QMessageBox::No, owner());
    // Every question here confirms a change (a delete, an erase, an end with pages at risk): Enter keeps things as
    // they are, a change takes a deliberate Yes.
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString WidgetDialogService::chooseFile(const QString& title, const QString& filter)
{
    // Qt's own dialog, so that the filter can match the file name without regard to case on every desktop.
    QFileDialog dialog(owner(), title, QString(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

int WidgetDialogService::chooseAmong(const QString& text, const QString& title, const QStringList& choices)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::NoButton, m_parent);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    // Escape and the close box choose nothing.
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

QString WidgetDialogService::chooseFolder(const QString& title)
{
    return QFileDialog::getExistingDirectory(m_parent, title, QString(), QFileDialog::DontUseNativeDialog);
}

ConsoleDialogService::ConsoleDialogService(bool answerYes)
    : m_answerYes(answerYes)
{
}

void ConsoleDialogService::showMessage(const QString& text, const QString& title, Icon)
{
    printLine(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
}

bool ConsoleDialogService::askQuestion(const QString& text, const QString&)
{
    printLine(text);
    printLine(m_answerYes ? QStringLiteral("(answered Yes: nobody is at a display to answer)")
                          : QStringLiteral("(answered No: nobody is at a display to answer)"));
    return m_answerYes;
}

QString ConsoleDialogService::chooseFile(const QString& title, const QString&)
{
    printLine(title + QStringLiteral(": no display to choose a file, cancelled"));
    return {};
}

int ConsoleDialogService::chooseAmong(const QString& text, const QString&, const QStringList&)
{
    printLine(text + QStringLiteral(" (nobody is at a display to choose: nothing chosen)"));
    return -1;
}

QString ConsoleDialogService::chooseFolder(const QString& title)
{
    return chooseFile(title, {});
}

void ScriptedDialogService::showMessage(const QString& text, const QString&, Icon)
{
    m_messages.push_back(text);
}

bool ScriptedDialogService::askQuestion(const QString& text, const QString&)
{
    m_questions.push_back(text);
    if (m_answers.empty())
        return false;
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}

QString ScriptedDialogService::chooseFile(const QString& title, const QString& filter)
{
    m_fileDialogs.push_back(title + QLatin1Char('|') + filter);
    if (m_fileNames.empty())
        return {};
    QString name = m_fileNames.front();
    m_fileNames.pop_front();
    return name;
}

int ScriptedDialogService::chooseAmong(const QString& text, const QString&, const QStringList& choices)
{
    m_questions.push_back(text + QLatin1Char('|') + choices.join(QLatin1Char('|')));
    if (m_choices.empty())
        return -1;
    const int index = m_choices.front();
    m_choices.pop_front();
    return index;
}

QString ScriptedDialogService::chooseFolder(const QString& title)
{
    return chooseFile(title, QStringLiteral("folder"));
}

void ScriptedDialogService::clear()
{
    m_messages.clear();
    m_questions.clear();
    m_fileDialogs.clear();
}

} // namespace tolvane::platform
