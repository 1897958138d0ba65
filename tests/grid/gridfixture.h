#pragma once

#include "data/dataset.h"
#include "desktop/desktop.h"

#include <QStringList>
#include <memory>

// Answers confirmations and records what the grid shows the user.
class RecordingDesktop : public Desktop
{
public:
    RecordingDesktop() { Desktop::install(this); }
    ~RecordingDesktop() override { Desktop::install(nullptr); }

    void showError(QWidget *, const QString &text) override { errors << text; }
    bool confirm(QWidget *, const QString &text) override
    {
        questions << text;
        return answer;
    }

    QStringList errors;
    QStringList questions;
    bool answer = true;
};

// An in-memory data set of one column of every kind, six rows:
//   name     town          sold        active  qty
//   Ana      Cluj          2024-01-05  true    3
//   Bogdan   Cluj-Napoca   2023-11-20  false   12
//   Carmen   Iasi          (null)      (null)  7
//   Dan      cluj          2024-01-05  true    (null)
//   Elena    (null)        2022-06-30  false   1
//   Florin   Brasov        2023-02-14  true    3
inline std::unique_ptr<DataSet> makeDataSet(bool requiredName = false)
{
    auto ds = std::make_unique<DataSet>(nullptr, QString());
    FieldDef name{"name", FieldKind::Text, 20, requiredName, false};
    ds->setFields({name,
                   {"town", FieldKind::Text, 30},
                   {"sold", FieldKind::Date},
                   {"stamp", FieldKind::Timestamp},
                   {"active", FieldKind::Boolean},
                   {"notes", FieldKind::Memo},
                   {"qty", FieldKind::Integer},
                   {"doc", FieldKind::Bytes},
                   {"code", FieldKind::Text, 10, false, true}});
    ds->open();
    struct Row
    {
        const char *name;
        const char *town;
        QDate sold;
        int active; // -1 null
        int qty;    // -1 null
    };
    const Row rows[] = {
        {"Ana", "Cluj", QDate(2024, 1, 5), 1, 3},
        {"Bogdan", "Cluj-Napoca", QDate(2023, 11, 20), 0, 12},
        {"Carmen", "Iasi", QDate(), -1, 7},
        {"Dan", "cluj", QDate(2024, 1, 5), 1, -1},
        {"Elena", nullptr, QDate(2022, 6, 30), 0, 1},
        {"Florin", "Brasov", QDate(2023, 2, 14), 1, 3},
    };
    int i = 0;
    for (const Row &r : rows) {
        ds->append();
        ds->setValue("name", Value(r.name));
        ds->setValue("town", r.town ? Value(r.town) : Value());
        ds->setValue("sold", Value(r.sold));
        ds->setValue("stamp", Value(Timestamp::fromParts(QDate(2024, 3, 5), QTime(12, 34, 56, 123),
                                                         456 + i)));
        ds->setValue("active", r.active < 0 ? Value() : Value(r.active == 1));
        ds->setValue("notes", Value(QStringLiteral("line one\nline two")));
        ds->setValue("qty", r.qty < 0 ? Value() : Value(qint32(r.qty)));
        ds->setValue("doc", i % 2 ? Value(QByteArray("%PDF")) : Value());
        ds->post();
        ++i;
    }
    ds->first();
    return ds;
}
