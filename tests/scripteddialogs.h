// Dialogs that answer from a script and record what they were shown with, so that the window
// tests never wait for a person.
#pragma once

#include "window/platform/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Feedsmith {

// A file dialog that gives prepared answers and records what it was shown with.
class ScriptedFileDialog : public FileDialog
{
public:
    struct Call
    {
        Mode mode;
        QString filter;
        QString fileName; // the name the dialog was opened with
        QString startPath;
    };

    // The next answers, in order; an empty text answers like Cancel.
    void answer(const QString &name) { m_answers.append(name); }
    // Forgets the answers not given and the calls made.
    void reset()
    {
        m_answers.clear();
        calls.clear();
        unanswered = 0;
    }
    QList<Call> calls;
    int unanswered = 0; // shows for which no answer was prepared (answered as Cancel)

protected:
    QString ask(Mode mode, QWidget *) override
    {
        calls.append(Call{mode, filter(), fileName(), startPath()});
        if (m_answers.isEmpty()) {
            ++unanswered;
            return {};
        }
        return m_answers.takeFirst();
    }

private:
    QStringList m_answers;
};

// Message boxes that record what they were shown with and answer questions from a list.
class ScriptedMessageBoxes : public MessageBoxes
{
public:
    enum class Kind { Information, Warning, Question, Plain, Critical, SaveQuestion, RestoreQuestion, TextQuestion };
    struct Shown
    {
        Kind kind;
        QString title;
        QString text;
        SaveButtons buttons = {};
        QString details = {};
    };

    void answer(bool yes) { m_answers.append(yes); }
    // The next text askText gives; none prepared gives an empty text (cancelled).
    void answerText(const QString &text) { m_texts.append(text); }
    // The next answers of askSave; none prepared answers Cancel.
    void answerSave(SaveAnswer answer) { m_saveAnswers.append(answer); }
    // The next answers of askRestore; none prepared answers Later.
    void answerRestore(RestoreAnswer answer) { m_restoreAnswers.append(answer); }
    // Forgets the answers not given and the boxes shown.
    void reset()
    {
        m_answers.clear();
        m_saveAnswers.clear();
        m_restoreAnswers.clear();
        m_texts.clear();
        shown.clear();
    }
    QList<Shown> shown;

    void information(QWidget *, const QString &title, const QString &text) override
    {
        shown.append(Shown{Kind::Information, title, text});
    }
    void warning(QWidget *, const QString &title, const QString &text) override
    {
        shown.append(Shown{Kind::Warning, title, text});
    }
    bool askYesNo(QWidget *, const QString &title, const QString &text) override
    {
        shown.append(Shown{Kind::Question, title, text});
        return m_answers.isEmpty() ? false : m_answers.takeFirst();
    }
    SaveAnswer askSave(QWidget *, const QString &title, const QString &text, const SaveButtons &buttons) override
    {
        shown.append(Shown{Kind::SaveQuestion, title, text, buttons});
        return m_saveAnswers.isEmpty() ? SaveAnswer::Cancel : m_saveAnswers.takeFirst();
    }
    RestoreAnswer askRestore(QWidget *, const QString &title, const QString &text, const QString &,
                             const QString &) override
    {
        shown.append(Shown{Kind::RestoreQuestion, title, text});
        return m_restoreAnswers.isEmpty() ? RestoreAnswer::Later : m_restoreAnswers.takeFirst();
    }
    QString askText(QWidget *, const QString &title, const QString &label) override
    {
        shown.append(Shown{Kind::TextQuestion, title, label});
        return m_texts.isEmpty() ? QString() : m_texts.takeFirst();
    }
    void plain(QWidget *, const QString &title, const QString &text) override
    {
        shown.append(Shown{Kind::Plain, title, text});
    }
    void critical(QWidget *, const QString &title, const QString &text) override
    {
        shown.append(Shown{Kind::Critical, title, text});
    }
    void criticalWithDetails(QWidget *, const QString &title, const QString &text, const QString &details) override
    {
        shown.append(Shown{Kind::Critical, title, text, {}, details});
    }

private:
    QList<bool> m_answers;
    QList<SaveAnswer> m_saveAnswers;
    QList<RestoreAnswer> m_restoreAnswers;
    QStringList m_texts;
};

} // namespace Feedsmith
