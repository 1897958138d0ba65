#include "sandbox.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <libpq-fe.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace sandbox {

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(("sandbox: " + message).toStdString());
}

using Conn = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

QString readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(QString("cannot read %1 (%2); is the sandbox started? run scripts/sandbox start")
                 .arg(path, f.errorString()));
    return QString::fromUtf8(f.readAll());
}

int portFromFile(const QString &key)
{
    static const QString ports = readFile(folder() + "/ports");
    const QRegularExpression re("^" + key + "=(\\d+)$", QRegularExpression::MultilineOption);
    const auto m = re.match(ports);
    if (!m.hasMatch())
        fail(QString("%1 is missing from %2/ports").arg(key, folder()));
    return m.captured(1).toInt();
}

// Checked once per process: a clear message beats a connection error later.
Server answering(const char *what, const QString &key)
{
    const Server server{"127.0.0.1", portFromFile(key)};
    static std::map<QString, bool> checked;
    if (!checked[key]) {
        const QByteArray port = QByteArray::number(server.port);
        const char *keys[] = {"host", "port", "dbname", "connect_timeout", nullptr};
        const char *values[] = {"127.0.0.1", port.constData(), "postgres", "5", nullptr};
        if (PQpingParams(keys, values, 0) != PQPING_OK)
            fail(QString("the %1 server at 127.0.0.1:%2 does not answer; run scripts/sandbox start")
                     .arg(what)
                     .arg(server.port));
        checked[key] = true;
    }
    return server;
}

Conn connect(const Server &server, const QString &db)
{
    const QByteArray host = server.host.toUtf8();
    const QByteArray port = QByteArray::number(server.port);
    const QByteArray dbname = db.toUtf8();
    const QByteArray password = rolePassword().toUtf8();
    const char *keys[] = {"host", "port", "dbname", "user", "password", "sslmode",
                          "connect_timeout", "application_name", nullptr};
    const char *values[] = {host.constData(), port.constData(), dbname.constData(), "qel",
                            password.constData(), "disable", "10", "varnok-tests", nullptr};
    Conn conn(PQconnectdbParams(keys, values, 0), &PQfinish);
    if (!conn)
        fail("out of memory");
    PQsetNoticeProcessor(conn.get(), [](void *, const char *) {}, nullptr); // "does not exist, skipping"
    if (PQstatus(conn.get()) != CONNECTION_OK)
        fail(QString("cannot connect to %1 on %2:%3: %4")
                 .arg(db, server.host)
                 .arg(server.port)
                 .arg(QString::fromUtf8(PQerrorMessage(conn.get())).trimmed()));
    return conn;
}

Result run(const Server &server, const QString &db, const QString &sql)
{
    Conn conn = connect(server, db);
    Result res(PQexec(conn.get(), sql.toUtf8().constData()), &PQclear);
    if (!res)
        fail(QString::fromUtf8(PQerrorMessage(conn.get())).trimmed());
    const auto status = PQresultStatus(res.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const char *primary = PQresultErrorField(res.get(), PG_DIAG_MESSAGE_PRIMARY);
        throw std::runtime_error(primary ? primary : PQresultErrorMessage(res.get()));
    }
    return res;
}

QString createDb(const Server &server, const char *templ, const QString &name)
{
    static const QRegularExpression valid("^[a-z0-9_]{1,60}$");
    if (!valid.match(name).hasMatch())
        fail(QString("bad test database name \"%1\": use a-z, 0-9 and _").arg(name));
    const QString db = "t_" + name;
    exec(server, "postgres", QString("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(db));
    exec(server, "postgres", QString("CREATE DATABASE \"%1\" TEMPLATE %2").arg(db, templ));
    return db;
}

// Splits one pgpass line at unescaped colons.
QStringList pgpassFields(const QString &line)
{
    QStringList fields{QString()};
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == '\\' && i + 1 < line.size())
            fields.last() += line[++i];
        else if (c == ':')
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

} // namespace

QString folder()
{
    const QString dir = qEnvironmentVariable("VARNOK_SANDBOX");
    if (dir.isEmpty())
        fail("VARNOK_SANDBOX is not set; run the tests through ctest, or first: "
             "eval \"$(scripts/sandbox env)\"");
    return dir;
}

Server directory()
{
    return answering("directory", "DIRECTORY_PORT");
}

Server company()
{
    return answering("company", "COMPANY_PORT");
}

QString rolePassword()
{
    static const QString password = [] {
        const QString text = readFile(folder() + "/pgpass");
        for (const QString &line : text.split('\n', Qt::SkipEmptyParts)) {
            const QStringList f = pgpassFields(line);
            if (f.size() == 5 && f[3] == "qel")
                return f[4];
        }
        fail("no line for role qel in " + folder() + "/pgpass");
    }();
    return password;
}

QString createCompanyDb(const QString &name)
{
    return createDb(company(), "varnok_company_template", name);
}

QString createDirectoryDb(const QString &name)
{
    return createDb(directory(), "varnok_directory_template", name);
}

void exec(const Server &server, const QString &db, const QString &sql)
{
    run(server, db, sql);
}

QList<QStringList> rows(const Server &server, const QString &db, const QString &sql)
{
    const Result res = run(server, db, sql);
    QList<QStringList> out;
    const int n = PQntuples(res.get());
    const int m = PQnfields(res.get());
    out.reserve(n);
    for (int r = 0; r < n; ++r) {
        QStringList row;
        row.reserve(m);
        for (int c = 0; c < m; ++c) {
            if (PQgetisnull(res.get(), r, c))
                row << QString();
            else if (PQgetlength(res.get(), r, c) == 0)
                row << QStringLiteral(""); // empty, but not null
            else
                row << QString::fromUtf8(PQgetvalue(res.get(), r, c), PQgetlength(res.get(), r, c));
        }
        out << row;
    }
    return out;
}

StatementLog::StatementLog(QString db)
    : m_db(std::move(db)), m_path(folder() + "/company.log")
{
    QFile f(m_path);
    if (!f.exists())
        fail(m_path + " does not exist; is the sandbox started?");
    m_start = f.size();
}

QStringList StatementLog::statements() const
{
    // The server writes each entry before answering, but give a late writer
    // a moment: wait until the file stops growing (at most about 200 ms).
    qint64 size = QFile(m_path).size();
    for (int i = 0; i < 20; ++i) {
        QThread::msleep(10);
        const qint64 now = QFile(m_path).size();
        if (now == size)
            break;
        size = now;
    }

    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        fail("cannot read " + m_path);
    if (f.size() < m_start)
        fail(m_path + " shrank; was the sandbox restarted during the test?");
    f.seek(m_start);
    QByteArray bytes = f.readAll();
    bytes.truncate(bytes.lastIndexOf('\n') + 1); // a line still being written waits

    // "<time> <zone> [<pid>] db=<db> <LEVEL>:  <message>"; lines without that
    // prefix continue the previous entry (statements spanning lines).
    static const QRegularExpression prefix(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S+ \[(\d+)\] db=(\S*) ([A-Z]+):  (.*)$)");
    static const QRegularExpression statement(R"(^(?:statement|execute [^:]*): (.*)$)",
                                              QRegularExpression::DotMatchesEverythingOption);
    struct Entry {
        QString pid, db, level, text;
    };
    QList<Entry> entries;
    for (const QString &line : QString::fromUtf8(bytes).split('\n')) {
        const auto m = prefix.match(line);
        if (m.hasMatch())
            entries.append({m.captured(1), m.captured(2), m.captured(3), m.captured(4)});
        else if (!entries.isEmpty() && !line.isEmpty()) // the server indents these by a tab
            entries.last().text += '\n' + (line.startsWith('\t') ? line.mid(1) : line);
    }

    QStringList out;
    std::map<QString, qsizetype> lastStatementOf; // pid -> index in out, or -1
    for (const Entry &e : entries) {
        if (e.db != m_db)
            continue;
        if (e.level == "LOG") {
            const auto m = statement.match(e.text);
            if (m.hasMatch()) {
                out << m.captured(1);
                lastStatementOf[e.pid] = out.size() - 1;
                continue;
            }
        } else if (e.level == "DETAIL" && e.text.startsWith("parameters: ", Qt::CaseInsensitive)) {
            const auto it = lastStatementOf.find(e.pid);
            if (it != lastStatementOf.end() && it->second >= 0)
                out[it->second] += '\n' + e.text;
        }
        lastStatementOf[e.pid] = -1;
    }
    return out;
}

} // namespace sandbox
