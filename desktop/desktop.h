#pragma once

#include <QString>
#include <exception>

class QWidget;

// Everything the program asks of the desktop. Tests install their own
// instance to answer dialogs and to record messages and "open" requests.
class Desktop
{
public:
    virtual ~Desktop() = default;

    static Desktop &instance();
    // Takes effect until replaced; null restores the real desktop. Not owned.
    static void install(Desktop *desktop);

    // Modal message box: application title, error icon, one OK button.
    virtual void showError(QWidget *parent, const QString &text);
    // OK / Cancel question; true for OK.
    virtual bool confirm(QWidget *parent, const QString &text);
    // Empty when the user cancels.
    virtual QString openFileName(QWidget *parent, const QString &filter);
    virtual QString saveFileName(QWidget *parent, const QString &proposed, const QString &filter);
    // The shell's "open" action; the program does not wait.
    virtual void openPath(const QString &path);

    virtual QString documentsFolder();
    virtual QString roamingDataFolder();
    // Private per-user folder for copies of opened documents (created 0700).
    virtual QString openedDocumentsFolder();
};

// The text as the error display shows it: a full stop is added when the last
// character's code is above that of ".".
QString withFullStop(const QString &text);

// The program's title: the executable's file name without folder, cut before
// its first ".", every character after the first in lower case.
QString applicationTitleFor(const QString &executablePath);
QString applicationTitle();

// Shows an exception through the error display; for the places where Qt
// calls into us and an exception must not travel further.
void reportError(const std::exception &error);
void reportError(const QString &text);

// Runs f and reports what it throws; returns false when it threw.
template<typename F> bool guarded(F &&f)
{
    try {
        f();
        return true;
    } catch (const std::exception &e) {
        reportError(e);
        return false;
    }
}
