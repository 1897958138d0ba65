#include "data/connection.h"

#include "data/error.h"

#include <QByteArrayList>

namespace {
const char *const sslRefusedByServer = "server does not support SSL";

QString driverText(PGconn *conn)
{
    QString text = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    if (text.contains(QLatin1String(sslRefusedByServer)))
        return QStringLiteral("SSL connection is not allowed");
    return text;
}

bool weakerThanRequire(const QByteArray &mode)
{
    return mode.isEmpty() || mode == "disable" || mode == "allow" || mode == "prefer";
}

struct ResultGuard
{
    PGresult *r;
    ~ResultGuard() { PQclear(r); }
};
} // namespace

Connection::Connection(const QString &service, bool requireTls, QObject *parent)
    : QObject(parent), m_service(service), m_requireTls(requireTls)
{
}

Connection::~Connection()
{
    if (m_conn)
        PQfinish(m_conn);
}

void Connection::setServer(const QString &server)
{
    if (server == m_server)
        return;
    close();
    m_server = server;
}

void Connection::setPort(int port)
{
    if (port == m_port)
        return;
    close();
    m_port = port;
}

void Connection::setDatabase(const QString &database)
{
    if (database == m_database)
        return;
    close();
    m_database = database;
}

void Connection::open()
{
    if (!m_conn)
        connectNow();
}

void Connection::close()
{
    if (!m_conn)
        return;
    emit closing();
    PQfinish(m_conn);
    m_conn = nullptr;
    m_binaryResult.clear();
    m_tables.clear();
}

void Connection::connectNow()
{
    QByteArrayList keys;
    QByteArrayList values;
    auto add = [&](const char *key, const QString &value) {
        keys << key;
        values << value.toUtf8();
    };
    if (!m_service.isEmpty())
        add("service", m_service);
    if (!m_server.isEmpty())
        add("host", m_server);
    if (m_port > 0)
        add("port", QString::number(m_port));
    if (!m_database.isEmpty())
        add("dbname", m_database);
    add("connect_timeout", QStringLiteral("15"));
    add("client_encoding", QStringLiteral("UTF8"));

    auto arrays = [&](std::vector<const char *> &k, std::vector<const char *> &v) {
        k.clear();
        v.clear();
        for (qsizetype i = 0; i < keys.size(); ++i) {
            k.push_back(keys[i].constData());
            v.push_back(values[i].constData());
        }
        k.push_back(nullptr);
        v.push_back(nullptr);
    };
    std::vector<const char *> k, v;

    if (m_requireTls) {
        // Learn what the service file and environment ask for without
        // connecting: verification they set is kept, anything below
        // "require" is raised to it.
        arrays(k, v);
        PGconn *probe = PQconnectStartParams(k.data(), v.data(), 0);
        QByteArray mode;
        if (probe) {
            if (PQconninfoOption *options = PQconninfo(probe)) {
                for (PQconninfoOption *o = options; o->keyword; ++o)
                    if (qstrcmp(o->keyword, "sslmode") == 0 && o->val)
                        mode = o->val;
                PQconninfoFree(options);
            }
            PQfinish(probe);
        }
        add("sslmode", weakerThanRequire(mode) ? QStringLiteral("require")
                                                : QString::fromLatin1(mode));
    }

    arrays(k, v);
    PGconn *conn = PQconnectdbParams(k.data(), v.data(), 0);
    if (!conn)
        throw Error(QStringLiteral("out of memory"));
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString text = driverText(conn);
        PQfinish(conn);
        throw Error(text);
    }
    if (m_requireTls && !PQsslInUse(conn)) {
        PQfinish(conn);
        throw Error(QStringLiteral("SSL connection is not allowed"));
    }
    m_conn = conn;
    ++m_session;
}

bool Connection::connectionLost() const
{
    return m_conn && PQstatus(m_conn) == CONNECTION_BAD;
}

void Connection::failFrom(PGresult *result)
{
    const char *primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString text = primary ? QString::fromUtf8(primary) : driverText(m_conn);
    const QString sqlState = state ? QString::fromLatin1(state) : QString();
    PQclear(result);
    throw Error(text, sqlState);
}

bool Connection::resultWantsBinary(const QString &sql)
{
    auto found = m_binaryResult.constFind(sql);
    if (found != m_binaryResult.constEnd())
        return *found;
    // Documents travel in binary: hex text would double them on the wire and
    // in memory. The statement's description tells whether it returns bytea.
    const QByteArray text = sql.toUtf8();
    PGresult *prepared = PQprepare(m_conn, "", text.constData(), 0, nullptr);
    if (PQresultStatus(prepared) != PGRES_COMMAND_OK)
        failFrom(prepared);
    PQclear(prepared);
    PGresult *described = PQdescribePrepared(m_conn, "");
    if (PQresultStatus(described) != PGRES_COMMAND_OK)
        failFrom(described);
    bool binary = false;
    for (int i = 0; i < PQnfields(described); ++i)
        if (PQftype(described, i) == PgType::Bytea)
            binary = true;
    PQclear(described);
    m_binaryResult.insert(sql, binary);
    return binary;
}

std::shared_ptr<Result> Connection::run(const QString &sql, const Params &params, bool binary)
{
    const QByteArray text = sql.toUtf8();
    std::vector<QByteArray> storage(params.size());
    std::vector<const char *> values(params.size());
    std::vector<int> lengths(params.size());
    std::vector<int> formats(params.size());
    std::vector<Oid> types(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const Value &p = params[i];
        if (p.isNull()) {
            values[i] = nullptr;
            continue;
        }
        if (p.is<QByteArray>()) {
            storage[i] = p.get<QByteArray>();
            formats[i] = 1;
            types[i] = PgType::Bytea;
        } else {
            storage[i] = p.toString().toUtf8();
        }
        values[i] = storage[i].constData();
        lengths[i] = int(storage[i].size());
    }
    PGresult *result = PQexecParams(m_conn, text.constData(), int(params.size()), types.data(),
                                    values.data(), lengths.data(), formats.data(), binary ? 1 : 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        failFrom(result);
    return std::make_shared<Result>(result, binary);
}

std::shared_ptr<Result> Connection::query(const QString &sql, const Params &params)
{
    open();
    for (int attempt = 0;; ++attempt) {
        try {
            return run(sql, params, resultWantsBinary(sql));
        } catch (const Error &) {
            if (attempt > 0 || !connectionLost())
                throw;
        }
        // The server dropped us since the last statement; a read is safe to repeat.
        PQreset(m_conn);
        if (PQstatus(m_conn) != CONNECTION_OK) {
            const QString text = driverText(m_conn);
            PQfinish(m_conn);
            m_conn = nullptr;
            emit closing();
            throw Error(text);
        }
        ++m_session;
        m_binaryResult.clear();
        m_tables.clear();
    }
}

void Connection::writeOneRow(const QString &sql, const Params &params)
{
    // Nothing is written before BEGIN succeeds, so a dropped connection
    // found here is reconnected like a read.
    query(QStringLiteral("begin"), {});
    auto rollback = [this]() {
        if (!connectionLost())
            PQclear(PQexec(m_conn, "rollback"));
    };
    qint64 affected = 0;
    try {
        affected = run(sql, params, false)->affectedRows();
    } catch (const Error &) {
        if (connectionLost())
            throw Error(QStringLiteral("Legatura cu serverul s-a intrerupt; modificarea nu a fost "
                                       "salvata. Incercati din nou."));
        rollback();
        throw;
    }
    if (affected != 1) {
        rollback();
        throw Error(QStringLiteral("Update failed. Found %1 records").arg(affected));
    }
    try {
        run(QStringLiteral("commit"), {}, false);
    } catch (const Error &) {
        if (connectionLost())
            throw Error(QStringLiteral("Legatura cu serverul s-a intrerupt in timpul salvarii; nu "
                                       "se stie daca modificarea a fost salvata. Recititi datele "
                                       "si verificati."));
        throw;
    }
}

TableInfo Connection::tableInfo(const QString &table)
{
    open();
    auto found = m_tables.constFind(table);
    if (found != m_tables.constEnd())
        return *found;

    TableInfo info;
    auto columns = query(QStringLiteral(
        "select a.attname, a.atttypid, a.atttypmod from pg_attribute a "
        "where a.attrelid = $1::regclass and a.attnum > 0 and not a.attisdropped "
        "order by a.attnum"), {Value(table)});
    for (int r = 0; r < columns->rowCount(); ++r) {
        const QString name = columns->value(r, 0, FieldKind::Text).toString();
        const Oid type = Oid(columns->value(r, 1, FieldKind::BigInt).get<qint64>());
        const FieldKind kind =
            kindForServerType(type, columns->value(r, 2, FieldKind::Integer).get<qint32>());
        info.columns << name;
        info.kinds.insert(name, kind);
    }

    // Primary key first, then unique indexes by name; partial and expression
    // indexes cannot identify a row.
    auto indexes = query(QStringLiteral(
        "select array_to_string(array(select a.attname from unnest(i.indkey::int2[]) "
        "with ordinality k(n, o) join pg_attribute a on a.attrelid = i.indrelid and a.attnum = k.n "
        "order by k.o), chr(31)) from pg_index i join pg_class c on c.oid = i.indexrelid "
        "where i.indrelid = $1::regclass and (i.indisprimary or i.indisunique) "
        "and i.indpred is null and i.indexprs is null "
        "order by i.indisprimary desc, c.relname limit 1"), {Value(table)});
    if (indexes->rowCount() > 0)
        info.key = indexes->value(0, 0, FieldKind::Memo).toString().split(QChar(31));
    else
        for (const QString &c : std::as_const(info.columns))
            if (info.kinds.value(c) != FieldKind::Memo && info.kinds.value(c) != FieldKind::Bytes)
                info.key << c;
    m_tables.insert(table, info);
    return info;
}
