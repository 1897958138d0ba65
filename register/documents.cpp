#include "register/documents.h"

#include "data/dataset.h"
#include "data/error.h"
#include "desktop/desktop.h"
#include "register/warrantydatasets.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>

namespace {
const QString contentField = QStringLiteral("continut_doc");
const QString extensionField = QStringLiteral("extensie_doc");
const QString nameField = QStringLiteral("nume_doc");

// Extensions the desktop runs, installs or follows rather than shows.
bool isExecutableExtension(const QString &extension)
{
    static const QSet<QString> executable = {
        "exe", "bat", "cmd", "com", "scr", "msi", "msp", "lnk", "pif", "url", "vbs", "vbe",
        "js", "jse", "wsf", "wsh", "ps1", "psm1", "hta", "cpl", "jar", "sh", "bash", "run",
        "bin", "desktop", "appimage", "app", "command", "reg", "scf", "inf", "dll", "so"};
    return executable.contains(extension.toLower());
}

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

bool hasInvalidCharacter(const QString &part)
{
    for (QChar c : part)
        if (c.unicode() < 32 || c == u'"' || c == u'<' || c == u'>' || c == u'|' || isSeparator(c))
            return true;
    return false;
}

// "C:" names a drive on Windows even without a separator after it.
bool hasDrivePrefix(const QString &part)
{
    return part.size() >= 2 && part[1] == u':' && part[0].isLetter();
}

QString trimmedOfTrailingDotsAndSpaces(QString name)
{
    while (!name.isEmpty() && (name.back() == u'.' || name.back() == u' '))
        name.chop(1);
    return name;
}

// The extension the desktop goes by when it opens fileName. Windows drops
// trailing dots and spaces, and reads "a.exe:x" as a stream of "a.exe", so
// each of those readings is checked as well as the name as written.
QString executableExtensionOf(const QString &fileName)
{
    QStringList readings{fileName, trimmedOfTrailingDotsAndSpaces(fileName)};
    const qsizetype colon = fileName.indexOf(u':');
    if (colon >= 0)
        readings << trimmedOfTrailingDotsAndSpaces(fileName.left(colon));
    for (const QString &reading : std::as_const(readings)) {
        const qsizetype dot = reading.lastIndexOf(u'.');
        if (dot < 0)
            continue;
        const QString extension = reading.mid(dot + 1);
        if (isExecutableExtension(extension))
            return extension;
    }
    return {};
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot read file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    return bytes;
}

// Through a temporary file in the same folder and a rename: a viewer that
// still has the previous copy open never sees a half-written file.
void writeWholeFile(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    auto fail = [&] {
        throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        fail();
    if (!file.commit())
        fail();
}

// False when the user cancels the dialog.
bool chooseAndAttach(DataSet &docs, QWidget *parent)
{
    // Edit first: the data set's rules refuse before any dialog is shown.
    docs.edit();
    const QString path = Desktop::instance().openFileName(parent, QString());
    if (path.isEmpty())
        return false;
    attachFile(docs, path);
    return true;
}
// The extension's time is what links a document to it, to the microsecond.
void tieToCurrentExtension(WarrantyDataSets &sets)
{
    sets.dsEGarantiiExtDoc->setValue(QStringLiteral("data_ins"),
                                     sets.dsEGarantiiExt->value(QStringLiteral("data_ins")));
}
} // namespace

QString extensionForDocument(const QString &fileName)
{
    qsizetype start = fileName.size();
    while (start > 0 && !isSeparator(fileName[start - 1]))
        --start;
    const QString name = fileName.mid(start);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    return name.mid(dot).remove(u'.');
}

void attachFile(DataSet &docs, const QString &path)
{
    docs.edit();
    docs.setValue(extensionField, Value(extensionForDocument(path)));
    docs.setValue(contentField, Value(readWholeFile(path)));
}

void attachWarrantyDocument(WarrantyDataSets &sets, QWidget *parent)
{
    chooseAndAttach(*sets.dsEGarantiiDoc, parent);
}

void attachExtensionDocument(WarrantyDataSets &sets, QWidget *parent)
{
    if (chooseAndAttach(*sets.dsEGarantiiExtDoc, parent))
        tieToCurrentExtension(sets);
}

void attachExtensionFile(WarrantyDataSets &sets, const QString &path)
{
    attachFile(*sets.dsEGarantiiExtDoc, path);
    tieToCurrentExtension(sets);
}

QString documentFilePath(const QString &folder, const QString &name, const QString &extension)
{
    // An empty name would give a hidden ".ext" file rather than a document's
    // name, so it is refused like the other names that are not a file name.
    const bool plainFileName = !name.isEmpty() && !hasInvalidCharacter(name)
        && !hasInvalidCharacter(extension) && !hasDrivePrefix(name) && !hasDrivePrefix(extension)
        && !QDir::isAbsolutePath(name) && !QDir::isAbsolutePath(extension) && name != u"."
        && name != u".." && extension != u"." && extension != u"..";
    if (!plainFileName)
        throw Error(QString::fromLatin1(invalidPathMessage));
    const QString fileName = name + u'.' + extension;
    const QString executable = executableExtensionOf(fileName);
    if (!executable.isEmpty())
        throw Error(QString::fromLatin1(executableDocumentMessage).arg(executable.toUpper()));
    return folder + u'/' + fileName;
}

void openDocument(DataSet &docs, QWidget *)
{
    if (!docs.isActive() || docs.currentRow() < 0)
        throw Error(QString::fromLatin1(noDocumentMessage));
    const QString path = documentFilePath(Desktop::instance().openedDocumentsFolder(),
                                          docs.value(nameField).toString(),
                                          docs.value(extensionField).toString());
    // Written from where the bytes lie: a copy of a large scan would double the peak.
    writeWholeFile(path, docs.bytesView(docs.currentRow(), docs.fieldIndex(contentField)));
    Desktop::instance().openPath(path);
}
