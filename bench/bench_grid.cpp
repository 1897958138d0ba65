// The grid over 100,000 warranty-like rows held by an in-memory data set:
// one filter-row change, one sort by a date column, grouping by the town
// column, and the heap the grid adds over its data set. Filter and sort are
// set against Qt's QSortFilterProxyModel over the same DataSetModel, in the
// same run.
//
//   bench_grid [figure...]   figures: filter_row, sort, group, grid_memory
//   VARNOK_BENCH_GRID_ROWS   rows (100000 by default)
//
// Timings are medians of several runs after a warm-up; memory is the heap in
// use (mallinfo2), which does not depend on what the allocator keeps cached.

#include "data/dataset.h"
#include "data/connection.h"
#include "data/datasetmodel.h"
#include "register/warrantydatasets.h"
#include "grid/gridview.h"
#include "grid/presentationmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSortFilterProxyModel>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <vector>

namespace {

const char *const towns[] = {
    "Bucuresti", "Cluj-Napoca", "Cluj", "Timisoara", "Iasi", "Constanta", "Craiova", "Brasov",
    "Galati", "Ploiesti", "Oradea", "Braila", "Arad", "Pitesti", "Sibiu", "Bacau", "Targu Mures",
    "Baia Mare", "Buzau", "Botosani", "Satu Mare", "Ramnicu Valcea", "Drobeta-Turnu Severin",
    "Suceava", "Piatra Neamt", "Targu Jiu", "Targoviste", "Focsani", "Bistrita", "Tulcea",
    "Resita", "Slatina", "Calarasi", "Alba Iulia", "Giurgiu", "Deva", "Hunedoara", "Zalau",
    "Sfantu Gheorghe", "Barlad"};
const char *const words[] = {"garantie", "extinsa", "client", "factura", "serie", "produs",
                             "verificat", "reparat", "inlocuit", "depozit", "livrare", "service"};

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

double medianMs(int runs, const std::function<void(int)> &run,
                const std::function<void()> &prepare = {})
{
    if (prepare)
        prepare();
    run(-1); // warm-up
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        run(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void fill(DataSet &ds, int rows)
{
    ds.setFields({{"articol", FieldKind::Text, 30},
                  {"serie", FieldKind::Text, 40},
                  {"client", FieldKind::Text, 100},
                  {"localitate", FieldKind::Text, 60},
                  {"data_garantie", FieldKind::Date},
                  {"data_factura", FieldKind::Date},
                  {"nr_garantie", FieldKind::Integer},
                  {"valoare", FieldKind::Float},
                  {"activ", FieldKind::Boolean},
                  {"obs", FieldKind::Memo},
                  {"data_ins", FieldKind::Timestamp},
                  {"utilizator", FieldKind::Text, 30}});
    ds.open();
    QRandomGenerator rng(42);
    const QDate base(2019, 1, 1);
    for (int r = 0; r < rows; ++r) {
        ds.append();
        ds.setValue(0, Value(QStringLiteral("ART%1").arg(rng.bounded(20000), 6, 10, QChar('0'))));
        ds.setValue(1, Value(QStringLiteral("SN-%1-%2").arg(rng.bounded(1000000)).arg(r)));
        ds.setValue(2, Value(QStringLiteral("Client %1 SRL").arg(rng.bounded(5000))));
        ds.setValue(3, Value(QString::fromLatin1(towns[rng.bounded(int(std::size(towns)))])));
        const QDate d = base.addDays(rng.bounded(5 * 365));
        ds.setValue(4, Value(d));
        ds.setValue(5, Value(d.addDays(-rng.bounded(30))));
        ds.setValue(6, Value(qint32(r + 1)));
        ds.setValue(7, Value(rng.bounded(10000.0)));
        ds.setValue(8, Value(rng.bounded(2) == 1));
        QString memo;
        for (int w = 0, n = rng.bounded(12); w < n; ++w)
            memo += QString::fromLatin1(words[rng.bounded(int(std::size(words)))]) + u' ';
        ds.setValue(9, memo.isEmpty() ? Value() : Value(memo.trimmed()));
        ds.setValue(10, Value(Timestamp::fromParts(d, QTime(rng.bounded(24), rng.bounded(60),
                                                            rng.bounded(60)),
                                                   rng.bounded(1000000))));
        ds.setValue(11, Value(QStringLiteral("user%1").arg(rng.bounded(40))));
        ds.post();
    }
    ds.first();
}

void print(const char *name, double ours, double baseline, const char *unit, const char *target)
{
    std::printf("bench %s: ours=%.1f%s baseline=%.1f%s ratio=%.3f target=%s\n", name, ours, unit,
                baseline, unit, ours / baseline, target);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList figures = app.arguments().mid(1);
    if (figures.isEmpty())
        figures = {"filter_row", "sort", "group", "grid_memory"};
    const int rows = qEnvironmentVariableIntValue("VARNOK_BENCH_GRID_ROWS") > 0
                         ? qEnvironmentVariableIntValue("VARNOK_BENCH_GRID_ROWS")
                         : 100000;
    const int runs = 7;

    // With the benchmark database: the real warranty list. Without: an
    // in-memory data set filled with warranty-like rows.
    const QByteArray database = qgetenv("VARNOK_BENCH_DB");
    std::unique_ptr<Connection> connection;
    std::unique_ptr<WarrantyDataSets> sets;
    std::unique_ptr<DataSet> local;
    const size_t heapStart = heapInUse();
    if (!database.isEmpty()) {
        connection = std::make_unique<Connection>(QStringLiteral("varnok_company"), true);
        connection->setDatabase(QString::fromLatin1(database));
        sets = std::make_unique<WarrantyDataSets>(connection.get());
        sets->dsEGarantii->open();
    } else {
        local = std::make_unique<DataSet>(nullptr, QString());
        fill(*local, rows);
    }
    DataSet &ds = sets ? *sets->dsEGarantii : *local;
    const QString townName = sets ? QStringLiteral("client_localitate") : QStringLiteral("localitate");
    const size_t dataSetBytes = heapInUse() - heapStart;
    std::printf("# %d rows%s\n", ds.rowCount(), sets ? " of the warranty list" : "");

    const size_t heapBeforeGrid = heapInUse();
    auto grid = std::make_unique<GridView>();
    grid->setDataSet(&ds);
    grid->setFilterRowVisible(true);
    grid->setGroupByBoxVisible(true);
    grid->setPositionPanelVisible(true);
    grid->resize(1200, 600);
    grid->show();
    app.processEvents();

    const int town = ds.fieldIndex(townName);
    const int date = ds.fieldIndex("data_garantie");
    const QStringList typed = {"Cluj", "Brasov", "Iasi", "Sibiu", "Arad", "Deva", "Zalau", "Buzau"};

    // Baseline: the stock proxy over the same data set model, no view.
    auto plain = std::make_unique<DataSetModel>(&ds);
    auto proxyOwner = std::make_unique<QSortFilterProxyModel>();
    QSortFilterProxyModel &proxy = *proxyOwner;
    proxy.setSourceModel(plain.get());
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    proxy.setFilterKeyColumn(town);
    proxy.setSortRole(Qt::EditRole);

    if (figures.contains("filter_row")) {
        const double ours = medianMs(runs, [&](int i) {
            grid->setFilterRowText(townName, typed[(i + 8) % typed.size()]);
        });
        const double base = medianMs(runs, [&](int i) {
            proxy.setFilterFixedString(typed[(i + 8) % typed.size()]);
        });
        grid->setFilterRowText(townName, QString());
        proxy.setFilterFixedString(QString());
        print("filter_row", ours, base, "ms", "0.5");
    }
    if (figures.contains("sort")) {
        const double ours = medianMs(runs, [&](int i) {
            grid->sortBy("data_garantie", i % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
        });
        const double base = medianMs(runs, [&](int i) {
            proxy.sort(date, i % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
        });
        proxy.sort(-1);
        print("sort", ours, base, "ms", "0.5");
    }
    if (figures.contains("group")) {
        const double ours = medianMs(
            runs, [&](int) { grid->groupBy({townName}); }, [&] { grid->groupBy({}); });
        grid->groupBy({});
        std::printf("bench group: ours=%.1fms baseline=n/a ratio=n/a target=300ms\n", ours);
        std::fflush(stdout);
    }
    if (figures.contains("grid_memory")) {
        proxyOwner.reset();
        plain.reset();
        // The grid in use: filtered, sorted by date and grouped by town.
        grid->setFilterRowText(townName, "%a%");
        grid->sortBy("data_garantie");
        grid->groupBy({townName});
        grid->expandAll();
        app.processEvents();
        const double ours = double(heapInUse() - heapBeforeGrid) / (1024.0 * 1024.0);
        const double base = double(dataSetBytes) / (1024.0 * 1024.0);
        std::printf("bench grid_memory: ours=%.1fMB baseline=%.1fMB ratio=%.3f target=0.5\n", ours,
                    base, ours / base);
        std::fflush(stdout);
    }
    return 0;
}
