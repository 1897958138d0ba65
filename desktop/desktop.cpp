#include "desktop/desktop.h"

#include "data/error.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

namespace {
Desktop *installed = nullptr;
}

Desktop &Desktop::instance()
{
    static Desktop real;
    return installed ? *installed : real;
}

void Desktop::install(Desktop *desktop)
{
    installed = desktop;
}

void Desktop::showError(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), withFullStop(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

bool Desktop::confirm(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

QString Desktop::openFileName(QWidget *parent, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QString Desktop::saveFileName(QWidget *parent, const QString &proposed, const QString &filter)
{
    // Overwriting is not asked about: the export replaces its last file.
    return QFileDialog::getSaveFileName(parent, QString(), proposed, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void Desktop::openPath(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString Desktop::documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString Desktop::roamingDataFolder()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("APPDATA");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
}

QString Desktop::openedDocumentsFolder()
{
    // Per user and private: the copies are customers' documents.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/documents";
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner);
    return folder;
}

QString withFullStop(const QString &text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

QString applicationTitleFor(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString applicationTitle()
{
    return applicationTitleFor(QCoreApplication::applicationFilePath());
}

void reportError(const QString &text)
{
    Desktop::instance().showError(QApplication::activeWindow(), text);
}

void reportError(const std::exception &error)
{
    if (auto *e = dynamic_cast<const Error *>(&error))
        reportError(e->message());
    else
        reportError(QString::fromUtf8(error.what()));
}
