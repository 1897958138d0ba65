#include "workbook.h"

#include <QJsonDocument>
#include <QProcess>

namespace workbook {

namespace {
// Debian's interpreter has openpyxl; a pyenv python3 first in PATH may not.
QString python()
{
    static const QString found = [] {
        for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            QProcess p;
            p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
            if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
                return candidate;
        }
        return QString();
    }();
    return found;
}
} // namespace

bool readerAvailable()
{
    return !python().isEmpty();
}

QJsonObject read(const QString &path)
{
    if (python().isEmpty()) {
        qWarning("no python3 with openpyxl (Debian package python3-openpyxl)");
        return {};
    }
    QProcess p;
    p.start(python(), {QStringLiteral(VARNOK_SOURCE_DIR "/tests/xlsx/readxlsx.py"), path});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning("readxlsx.py failed: %s", p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QJsonObject cell(const QJsonObject &book, const QString &ref)
{
    return book.value(QStringLiteral("cells")).toObject().value(ref).toObject();
}

QString text(const QJsonObject &book, const QString &ref)
{
    return cell(book, ref).value(QStringLiteral("v")).toString();
}

} // namespace workbook
