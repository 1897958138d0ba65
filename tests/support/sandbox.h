#pragma once

// Access to the local database servers that scripts/sandbox runs for tests.
// Everything here throws std::runtime_error with a readable message when the
// sandbox is missing or a statement fails, so a test fails instead of skipping.

#include <QList>
#include <QString>
#include <QStringList>

namespace sandbox {

struct Server {
    QString host;
    int port = 0;
};

// The folder of the running sandbox ($VARNOK_SANDBOX).
QString folder();

// The two servers; checked to answer on first use.
Server directory();
Server company();

// The password of role qel, as stored in the sandbox's pgpass.
QString rolePassword();

// A fresh database t_<name> made from the schema template (any earlier one of
// that name is dropped first, its sessions closed). Returns its name.
QString createCompanyDb(const QString &name);
QString createDirectoryDb(const QString &name);

// Runs one or more statements as qel.
void exec(const Server &server, const QString &db, const QString &sql);

// Rows of the (last) statement as text; SQL null is a null QString.
QList<QStringList> rows(const Server &server, const QString &db, const QString &sql);

// The statements the company server logged for one database since this
// object was made: "statement: ..." and "execute ...: ..." texts, each
// followed by "\n" and its "parameters: $1 = ..." detail when there is one.
class StatementLog {
public:
    explicit StatementLog(QString db);
    QStringList statements() const;

private:
    QString m_db;
    QString m_path;
    qint64 m_start = 0;
};

} // namespace sandbox
