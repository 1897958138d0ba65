// A 50 MB document through the register: attached from a file, posted,
// re-read and opened (written to disk), against bare libpq sending the same
// bytes as a binary INSERT parameter and fetching them back in binary.
//
//   bench_documents [figure...]   figures: document_roundtrip, document_memory
//   VARNOK_BENCH_DOCUMENT_MB      document size (50 by default)
//
// Time: the baseline is the INSERT and the binary SELECT alone; the file read
// and write that ours includes are printed apart.
// Memory: one forked child per side, made before any connection or large
// buffer exists here. A new process's high-water mark starts at its RSS at
// fork, so the peak growth is VmHWM at the end minus VmRSS at the start. The
// baseline reads the file, sends it, lets it go, fetches and writes the copy
// from libpq's result: libpq itself keeps a send and a receive buffer of the
// document's size, so 3x is the floor.

#include "data/connection.h"
#include "data/dataset.h"
#include "desktop/desktop.h"
#include "register/documents.h"
#include "register/warrantydatasets.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <libpq-fe.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
const char *const database = "varnok_bench";
const char *const ourArticle = "BENCH-DOC-OURS";
const char *const bareArticle = "BENCH-DOC-BARE";

// Writes opened copies into the bench's folder and launches nothing.
class BenchDesktop : public Desktop
{
public:
    QString folder;
    int opened = 0;
    void openPath(const QString &) override { ++opened; }
    QString openedDocumentsFolder() override { return folder; }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

PGconn *bareConnection()
{
    const char *keys[] = {"service", "dbname", "sslmode", "client_encoding", nullptr};
    const char *values[] = {"varnok_company", database, "require", "UTF8", nullptr};
    PGconn *conn = PQconnectdbParams(keys, values, 0);
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "bench_documents: %s", PQerrorMessage(conn));
        std::exit(1);
    }
    return conn;
}

void bareExec(PGconn *conn, const char *sql)
{
    PGresult *r = PQexec(conn, sql);
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "bench_documents: %s", PQerrorMessage(conn));
        std::exit(1);
    }
    PQclear(r);
}

void removeBenchRows()
{
    PGconn *conn = bareConnection();
    bareExec(conn, "delete from e_garantii_doc where articol like 'BENCH-DOC-%'");
    PQfinish(conn);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_documents: cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    return f.readAll();
}

// Ours: what the register does from the attach button to the viewer.
struct OurRoundTrip
{
    Connection con{QStringLiteral("varnok_company"), true};
    BenchDesktop desktop;
    QString source;
    qint64 size = 0;

    OurRoundTrip(const QString &file, const QString &folder, qint64 bytes)
        : source(file), size(bytes)
    {
        con.setDatabase(QString::fromLatin1(database));
        desktop.folder = folder;
        Desktop::install(&desktop);
    }
    ~OurRoundTrip() { Desktop::install(nullptr); }

    // Untimed: a fresh, empty document list of the bench article.
    void prepare()
    {
        con.query(QStringLiteral("delete from e_garantii_doc where articol = $1"),
                  {Value(QString::fromLatin1(ourArticle))});
    }

    void run()
    {
        WarrantyDataSets sets(&con);
        DataSet *docs = sets.dsEGarantiiDoc;
        docs->setParam(QStringLiteral("articol"), Value(QString::fromLatin1(ourArticle)));
        docs->open();
        attachFile(*docs, source);
        docs->setValue(QStringLiteral("articol"), Value(QString::fromLatin1(ourArticle)));
        docs->setValue(QStringLiteral("nume_doc"), Value(QStringLiteral("Garantie bench")));
        docs->post(); // re-reads the list
        openDocument(*docs, nullptr);
        if (docs->rowCount() != 1 || QFileInfo(folder() + "/Garantie bench.pdf").size() != size) {
            std::fprintf(stderr, "bench_documents: our round trip lost the document\n");
            std::exit(1);
        }
    }
    QString folder() const { return desktop.folder; }
};

// Bare libpq: the same bytes in as a binary parameter, out in binary.
struct BareRoundTrip
{
    PGconn *conn = bareConnection();
    QByteArray selectSql;
    qint64 size = 0;

    explicit BareRoundTrip(const QString &selectWithDollarOne, qint64 bytes)
        : selectSql(selectWithDollarOne.toUtf8()), size(bytes)
    {
    }
    ~BareRoundTrip() { PQfinish(conn); }

    void insert(const QByteArray &bytes)
    {
        const char *insertValues[] = {bareArticle, "Garantie bench", "pdf", bytes.constData()};
        const int lengths[] = {0, 0, 0, int(bytes.size())};
        const int formats[] = {0, 0, 0, 1};
        const Oid types[] = {0, 0, 0, 17};
        PGresult *r = PQexecParams(conn,
                                   "insert into e_garantii_doc (articol, nume_doc, extensie_doc, "
                                   "continut_doc) values ($1, $2, $3, $4)",
                                   4, types, insertValues, lengths, formats, 0);
        if (PQresultStatus(r) != PGRES_COMMAND_OK) {
            std::fprintf(stderr, "bench_documents: %s", PQerrorMessage(conn));
            std::exit(1);
        }
        PQclear(r);
    }
    // With a path, writes the fetched bytes there straight from libpq's result.
    void fetch(const QString &path = QString())
    {
        const char *selectValues[] = {bareArticle};
        PGresult *r = PQexecParams(conn, selectSql.constData(), 1, nullptr, selectValues, nullptr,
                                   nullptr, 1);
        const int column = PQfnumber(r, "continut_doc");
        if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1
            || PQgetlength(r, 0, column) != size) {
            std::fprintf(stderr, "bench_documents: bare fetch failed: %s", PQerrorMessage(conn));
            std::exit(1);
        }
        if (!path.isEmpty()) {
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly)
                || out.write(PQgetvalue(r, 0, column), PQgetlength(r, 0, column)) != size)
                std::exit(1);
        }
        PQclear(r);
    }
    void clear() { bareExec(conn, "delete from e_garantii_doc where articol = 'BENCH-DOC-BARE'"); }
};

qint64 statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
    return 0;
}

// Peak memory growth of f, in bytes, measured in a child process.
qint64 peakGrowthInChild(const std::function<void()> &f)
{
    int fds[2];
    if (pipe(fds) != 0)
        std::exit(1);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const qint64 start = statusKb("VmRSS:");
        f();
        const qint64 growth = (statusKb("VmHWM:") - start) * 1024;
        if (write(fds[1], &growth, sizeof growth) != sizeof growth)
            _exit(1);
        _exit(0);
    }
    close(fds[1]);
    qint64 growth = -1;
    if (read(fds[0], &growth, sizeof growth) != sizeof growth)
        growth = -1;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (growth < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_documents: a measuring child failed\n");
        std::exit(1);
    }
    return growth;
}

void report(const char *name, double ours, double baseline, const char *unit, const char *target)
{
    std::printf("bench %s: ours=%.3f%s baseline=%.3f%s ratio=%.2f target=%s\n", name, ours, unit,
                baseline, unit, ours / baseline, target);
    std::fflush(stdout);
}

QString documentSelectSql()
{
    WarrantyDataSets sets(nullptr);
    return sets.dsEGarantiiDoc->sql().replace(QStringLiteral(":articol"), QStringLiteral("$1"));
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList figures = app.arguments().mid(1);
    if (figures.isEmpty())
        figures = {QStringLiteral("document_roundtrip"), QStringLiteral("document_memory")};
    const qint64 megabytes = qEnvironmentVariableIntValue("VARNOK_BENCH_DOCUMENT_MB") > 0
        ? qEnvironmentVariableIntValue("VARNOK_BENCH_DOCUMENT_MB")
        : 50;
    const qint64 size = megabytes * 1024 * 1024;

    QTemporaryDir tmp;
    const QString source = tmp.path() + "/scan.pdf";
    const QString opened = tmp.path() + "/opened";
    QDir().mkpath(opened);
    {
        QByteArray bytes(size, Qt::Uninitialized);
        QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != size)
            return 1;
    }
    const QString selectSql = documentSelectSql();
    std::printf("# document of %lld MB\n", megabytes);

    // Before any connection exists here, so that the children start small.
    if (figures.contains(QStringLiteral("document_memory"))) {
        removeBenchRows();
        const qint64 ours = peakGrowthInChild([&] {
            OurRoundTrip trip(source, opened, size);
            trip.run();
        });
        const qint64 bare = peakGrowthInChild([&] {
            // The same work done lean: the file's bytes are let go once sent,
            // and the copy is written from libpq's own result.
            BareRoundTrip trip(selectSql, size);
            QByteArray bytes = readFile(source);
            trip.insert(bytes);
            bytes = QByteArray();
            trip.fetch(opened + "/bare.pdf");
        });
        removeBenchRows();
        report("document_memory", double(ours) / size, double(bare) / size, "x", "3.0x");
    }

    if (figures.contains(QStringLiteral("document_roundtrip"))) {
        removeBenchRows();
        OurRoundTrip ours(source, opened, size);
        BareRoundTrip bare(selectSql, size);
        const QByteArray bytes = readFile(source);
        std::vector<double> ourTimes, bareTimes, readTimes, writeTimes;
        // Alternating runs after one warm-up each; rows removed untimed.
        for (int i = 0; i < 4; ++i) {
            bare.clear();
            QElapsedTimer t;
            t.start();
            bare.insert(bytes);
            bare.fetch();
            const double bareTime = t.nsecsElapsed() / 1e9;

            ours.prepare();
            t.restart();
            ours.run();
            const double ourTime = t.nsecsElapsed() / 1e9;

            // The file work alone, to tell it apart from the database's share.
            t.restart();
            const QByteArray again = readFile(source);
            const double readTime = t.nsecsElapsed() / 1e9;
            t.restart();
            {
                QFile out(opened + "/file-only.pdf");
                if (!out.open(QIODevice::WriteOnly) || out.write(again) != size)
                    return 1;
            }
            const double writeTime = t.nsecsElapsed() / 1e9;
            QFile::remove(opened + "/file-only.pdf");
            if (i == 0)
                continue;
            bareTimes.push_back(bareTime);
            ourTimes.push_back(ourTime);
            readTimes.push_back(readTime);
            writeTimes.push_back(writeTime);
        }
        std::printf("# file read %.3fs, file write %.3fs (median, part of ours, not of the baseline)\n",
                    median(readTimes), median(writeTimes));
        report("document_roundtrip", median(ourTimes), median(bareTimes), "s", "1.5");
        bare.clear();
        removeBenchRows();
    }
    return 0;
}
