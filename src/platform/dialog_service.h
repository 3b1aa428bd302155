#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace tolvane::platform {

// Every message box, question and file dialog of the program goes through one of these, so that tests
// can answer them and a start without a display can print them.
class DialogService {
public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~DialogService() = default;

    // A modal OK box. An empty title means the program's name.
    void message(const QString& text, const QString& title = {}, Icon icon = Icon::None)
    {
        showMessage(text, title, icon);
    }
    // A Yes/No question; true only for Yes.
    bool ask(const QString& text, const QString& title = {}) { return askQuestion(text, title); }
    // A file-open dialog; an empty result means cancelled.
    QString openFileName(const QString& title, const QString& filter) { return chooseFile(title, filter); }
    // A box with one button per choice; the index of the one pressed, or -1 when the box was closed.
    int choose(const QString& text, const QString& title, const QStringList& choices)
    {
        return chooseAmong(text, title, choices);
    }
    // A folder dialog; an empty result means cancelled.
    QString openFolderName(const QString& title) { return chooseFolder(title); }

protected:
    virtual void showMessage(const QString& text, const QString& title, Icon icon) = 0;
    virtual bool askQuestion(const QString& text, const QString& title) = 0;
    virtual QString chooseFile(const QString& title, const QString& filter) = 0;
    virtual int chooseAmong(const QString& text, const QString& title, const QStringList& choices) = 0;
    virtual QString chooseFolder(const QString& title) = 0;
};

// Real modal boxes, for a program with a display. A box belongs to the window the operator is working in,
// the one that raised it, and returns the operator to it; `parent` (the main window) has the boxes raised
// while none of the program's windows is active.
class WidgetDialogService final : public DialogService {
public:
    explicit WidgetDialogService(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }

protected:
    void showMessage(const QString& text, const QString& title, Icon icon) override;
    bool askQuestion(const QString& text, const QString& title) override;
    QString chooseFile(const QString& title, const QString& filter) override;
    int chooseAmong(const QString& text, const QString& title, const QStringList& choices) override;
    QString chooseFolder(const QString& title) override;

private:
    QWidget* owner() const;

    QWidget* m_parent;
};

// No display: each box's text goes to standard error; a question gets the answer chosen for this start,
// and says so, since nobody is there to answer it.
class ConsoleDialogService final : public DialogService {
public:
    explicit ConsoleDialogService(bool answerYes);

protected:
    void showMessage(const QString& text, const QString& title, Icon icon) override;
    bool askQuestion(const QString& text, const QString& title) override;
    QString chooseFile(const QString& title, const QString& filter) override;
    int chooseAmong(const QString& text, const QString& title, const QStringList& choices) override;
    QString chooseFolder(const QString& title) override;

private:
    bool m_answerYes;
};

// Tests: records every text and answers from a script, never blocking.
class ScriptedDialogService final : public DialogService {
public:
    // Answers used in order; when they run out, questions get No, choice boxes are closed and file and folder
    // dialogs are cancelled. Choice boxes are recorded with the questions, folder dialogs with the file dialogs.
    void queueAnswer(bool yes) { m_answers.push_back(yes); }
    void queueChoice(int index) { m_choices.push_back(index); }
    void queueFileName(const QString& name) { m_fileNames.push_back(name); }

    const QStringList& messages() const { return m_messages; }
    const QStringList& questions() const { return m_questions; }
    const QStringList& fileDialogs() const { return m_fileDialogs; } // "title|filter"
    void clear();

protected:
    void showMessage(const QString& text, const QString& title, Icon icon) override;
    bool askQuestion(const QString& text, const QString& title) override;
    QString chooseFile(const QString& title, const QString& filter) override;
    int chooseAmong(const QString& text, const QString& title, const QStringList& choices) override;
    QString chooseFolder(const QString& title) override;

private:
    QStringList m_messages;
    QStringList m_questions;
    QStringList m_fileDialogs;
    std::deque<bool> m_answers;
    std::deque<int> m_choices;
    std::deque<QString> m_fileNames;
};

} // namespace tolvane::platform
