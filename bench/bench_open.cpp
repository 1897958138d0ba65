// Opening the warranty list and posting edits through the data set, against
// bare libpq doing the same work in the same run.
#include "data/connection.h"
#include "data/dataset.h"
#include "register/u_frmArticoleCuGarantieZQ.h"
#include "register/warrantydatasets.h"
#include "signin/u_dmCon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <libpq-fe.h>
#include <malloc.h>
#include <vector>

namespace {
const char *const database = "varnok_bench";

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double seconds(const std::function<void()> &f, int runs = 5)
{
    f(); // warm-up
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e9);
    }
    return median(times);
}

// Bytes the heap holds: exact, unlike RSS, which keeps freed pages.
size_t heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void report(const char *name, double ours, double baseline, const char *unit, const char *target)
{
    std::printf("bench %s: ours=%.3f%s baseline=%.3f%s ratio=%.2f target=%s\n", name, ours, unit,
                baseline, unit, ours / baseline, target);
    std::fflush(stdout);
}

PGconn *bareConnection()
{
    const char *keys[] = {"service", "dbname", "client_encoding", nullptr};
    const char *values[] = {"varnok_company", database, "UTF8", nullptr};
    PGconn *conn = PQconnectdbParams(keys, values, 0);
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
        std::exit(1);
    }
    return conn;
}

// A bare fetch of the whole result that touches every cell.
size_t fetchAndTouch(PGconn *conn, const QByteArray &sql)
{
    PGresult *r = PQexec(conn, sql.constData());
    size_t sum = 0;
    for (int row = 0; row < PQntuples(r); ++row)
        for (int c = 0; c < PQnfields(r); ++c)
            sum += PQgetlength(r, row, c) + *PQgetvalue(r, row, c);
    PQclear(r);
    if (sum == 0)
        std::abort();
    return sum;
}

QString warrantyListSql()
{
    Connection con(QStringLiteral("varnok_company"), true);
    WarrantyDataSets sets(&con);
    return sets.dsEGarantii->sql();
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Figures named on the command line run alone; none named runs all.
    const QStringList asked = app.arguments().mid(1);
    auto wanted = [&](const char *figure) {
        if (asked.isEmpty())
            return true;
        for (const QString &a : asked)
            if (QString::fromLatin1(figure).startsWith(a))
                return true;
        return false;
    };
    const QByteArray listSql = warrantyListSql().toUtf8();
    PGconn *bare = bareConnection();
    Connection con(QStringLiteral("varnok_company"), true);
    con.setDatabase(QString::fromLatin1(database));

    if (wanted("open_warranty_list")) {
    size_t bareBytes = 0;
    const double bareTime = seconds([&] {
        const size_t before = heapInUse();
        PGresult *r = PQexec(bare, listSql.constData());
        size_t sum = 0;
        for (int row = 0; row < PQntuples(r); ++row)
            for (int c = 0; c < PQnfields(r); ++c)
                sum += PQgetlength(r, row, c) + *PQgetvalue(r, row, c);
        bareBytes = heapInUse() - before; // measured while the result is still held
        PQclear(r);
        if (sum == 0)
            std::abort();
    });

    // Ours: the register's list, ready to show, details following the first row.
    size_t ourBytes = 0;
    int rows = 0;
    const double ourTime = seconds([&] {
        const size_t before = heapInUse();
        WarrantyDataSets sets(&con);
        sets.dsEGarantii->open();
        sets.dsEGarantiiDoc->open();
        sets.dsEGarantiiExt->open();
        sets.dsEGarantiiExtDoc->open();
        rows = sets.dsEGarantii->rowCount();
        ourBytes = heapInUse() - before;
    });
    std::printf("# %d warranties\n", rows);
    report("open_warranty_list", ourTime, bareTime, "s", "1.15");
    report("open_warranty_list_memory", ourBytes / 1048576.0, bareBytes / 1048576.0, "MB", "1.2");
    }

    if (wanted("picker_open")) {
        // The picker's first showing and a re-read, against two bare fetches.
        dmCon = new TdmCon;
        dmCon->conQel->setPort(0); // the service's port, not the module's default
        dmCon->conQel->setDatabase(QString::fromLatin1(database));
        auto *picker = new TfrmArticoleCuGarantieZQ;
        const QByteArray pickerSql = picker->dsArtCuGarantieZQ->sql().toUtf8();
        const double barePicker = seconds([&] {
            for (int i = 0; i < 2; ++i)
                fetchAndTouch(bare, pickerSql);
        }, 3);
        const double ourPicker = seconds([&] {
            picker->dsArtCuGarantieZQ->close();
            picker->show(); // opens
            picker->hide();
            picker->show(); // re-reads
            picker->hide();
        }, 3);
        std::printf("# %d units offered\n", picker->dsArtCuGarantieZQ->rowCount());
        report("picker_open", ourPicker, barePicker, "s", "1.2");
        delete picker;
        delete dmCon;
    }

    if (!wanted("post_edits")) {
        PQfinish(bare);
        return 0;
    }

    // Posting 1,000 single-column edits.
    const int edits = 1000;
    PGresult *keys = PQexec(bare, "select articol from e_garantii order by articol limit 1000");
    std::vector<QByteArray> articles;
    for (int i = 0; i < PQntuples(keys); ++i)
        articles.emplace_back(PQgetvalue(keys, i, 0));
    PQclear(keys);
    int round = 0;
    const double bareEdits = seconds([&] {
        ++round;
        for (int i = 0; i < edits; ++i) {
            const QByteArray value = "bench " + QByteArray::number(round) + "/" + QByteArray::number(i);
            const char *params[] = {value.constData(), articles[size_t(i)].constData()};
            PQclear(PQexec(bare, "begin"));
            PQclear(PQexecParams(bare, "update e_garantii set obs_garantie = $1 where articol = $2", 2,
                                 nullptr, params, nullptr, nullptr, 0));
            PQclear(PQexec(bare, "commit"));
        }
    }, 3);

    // Its own thousand rows: repeated updates leave dead row versions behind,
    // which would slow whichever side came second on shared rows.
    DataSet ds(&con, QStringLiteral("select * from e_garantii order by articol offset 1000 limit 1000"));
    ds.open();
    const double ourEdits = seconds([&] {
        ++round;
        ds.first();
        for (int i = 0; i < edits; ++i) {
            ds.moveTo(i);
            ds.edit();
            ds.setValue(QStringLiteral("obs_garantie"),
                        Value(QStringLiteral("bench %1/%2").arg(round).arg(i)));
            ds.post();
        }
    }, 3);
    report("post_edits", ourEdits, bareEdits, "s", "1.3");
    PQfinish(bare);
    return 0;
}
