#pragma once

#include "data/result.h"
#include "data/value.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <libpq-fe.h>
#include <memory>
#include <vector>

// One parameter of a statement: sent as text, bytes in binary form.
using Params = std::vector<Value>;

// A table's identity as the catalog declares it, looked up once per session.
struct TableInfo
{
    QStringList columns;
    QHash<QString, FieldKind> kinds;
    QStringList key; // primary key, else first unique index by name, else empty
};

// A PostgreSQL client connection named after a libpq service. It opens by
// itself with the first statement and stays open. Changing its server, port
// or database closes it first, and closing tells every data set on it.
class Connection : public QObject
{
    Q_OBJECT
public:
    Connection(const QString &service, bool requireTls, QObject *parent = nullptr);
    ~Connection() override;

    QString service() const { return m_service; }
    QString server() const { return m_server; }
    int port() const { return m_port; }
    QString database() const { return m_database; }
    void setServer(const QString &server);
    void setPort(int port);
    void setDatabase(const QString &database);

    bool isOpen() const { return m_conn != nullptr; }
    void open();
    void close();
    // Bumped at each (re)connect: statements and catalog facts are per session.
    quint64 session() const { return m_session; }

    // A read: a dropped connection is reconnected once and the read repeated.
    std::shared_ptr<Result> query(const QString &sql, const Params &params);
    // Statements in one transaction; each must affect exactly one row. A lost
    // connection is never followed by a blind repeat.
    void writeOneRow(const QString &sql, const Params &params);

    TableInfo tableInfo(const QString &table);

    PGconn *handle() const { return m_conn; }

signals:
    void closing();

private:
    void connectNow();
    std::shared_ptr<Result> run(const QString &sql, const Params &params, bool binary);
    bool resultWantsBinary(const QString &sql);
    [[noreturn]] void failFrom(PGresult *result);
    bool connectionLost() const;

    QString m_service;
    bool m_requireTls;
    QString m_server;
    int m_port = 0;
    QString m_database;
    PGconn *m_conn = nullptr;
    quint64 m_session = 0;
    QHash<QString, bool> m_binaryResult; // per SQL text, this session
    QHash<QString, TableInfo> m_tables;
};
