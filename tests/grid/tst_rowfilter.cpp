#include "data/error.h"
#include "grid/rowfilter.h"

#include <QtTest>

// Filter text to cell predicate: the pure part of the filter row and the
// filter builder.
class TestRowFilter : public QObject
{
    Q_OBJECT
private slots:
    void filterRowTextMatchesCells_data();
    void filterRowTextMatchesCells();
    void emptyFilterRowTextHasNoCondition();
    void builderComparisons_data();
    void builderComparisons();
    void unreadableOperandIsRefused();
};

void TestRowFilter::filterRowTextMatchesCells_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell"); // the cell's text; "<null>" for null
    QTest::addColumn<bool>("kept");

    QTest::newRow("equal") << "Cluj" << "Cluj" << true;
    QTest::newRow("case ignored") << "cluj" << "CLUJ" << true;
    QTest::newRow("prefix is not equal") << "Clu" << "Cluj" << false;
    QTest::newRow("longer is not equal") << "Cluj-Napoca" << "Cluj" << false;
    QTest::newRow("percent at end") << "Clu%" << "Cluj-Napoca" << true;
    QTest::newRow("percent matches empty run") << "Cluj%" << "Cluj" << true;
    QTest::newRow("percent inside") << "C%a" << "Constanta" << true;
    QTest::newRow("percent inside, wrong end") << "C%a" << "Constant" << false;
    QTest::newRow("percent both ends") << "%napoca%" << "Cluj-Napoca" << true;
    QTest::newRow("underscore one char") << "Cl_j" << "Cluj" << true;
    QTest::newRow("underscore not zero chars") << "Clu_j" << "Cluj" << false;
    QTest::newRow("underscore not two chars") << "C_j" << "Cluj" << false;
    QTest::newRow("underscore case") << "_LUJ" << "cluj" << true;
    QTest::newRow("pattern needs whole text") << "Cl_" << "Cluj" << false;
    QTest::newRow("backtracking percent") << "%a%a" << "banana" << true;
    QTest::newRow("null never equals") << "Cluj" << "<null>" << false;
    QTest::newRow("null never like") << "%" << "<null>" << false;
    QTest::newRow("empty string like %") << "%" << "" << true;
    QTest::newRow("diacritics case") << "BRAȘOV" << "Brașov" << true;
}

void TestRowFilter::filterRowTextMatchesCells()
{
    QFETCH(QString, typed);
    QFETCH(QString, cell);
    QFETCH(bool, kept);
    const Value v = cell == "<null>" ? Value() : Value(cell);
    const CellPredicate p = CellPredicate::fromFilterRowText(typed, FieldKind::Text);
    QVERIFY(p.isActive());
    QCOMPARE(p.matches(v, v.is<QString>() ? QStringView(v.get<QString>()) : QStringView()), kept);
}

void TestRowFilter::emptyFilterRowTextHasNoCondition()
{
    const CellPredicate p = CellPredicate::fromFilterRowText(QString(), FieldKind::Text);
    QVERIFY(!p.isActive());
    QVERIFY(p.matches(Value(), {}));
}

void TestRowFilter::builderComparisons_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("operand");
    QTest::addColumn<int>("kind");
    QTest::addColumn<Value>("value");
    QTest::addColumn<QString>("display");
    QTest::addColumn<bool>("kept");

    const int text = int(FieldKind::Text), integer = int(FieldKind::Integer),
              date = int(FieldKind::Date);
    QTest::newRow("text not equal, case ignored")
        << int(FilterOp::NotEqual) << "cluj" << text << Value("Cluj") << "Cluj" << false;
    QTest::newRow("null is not equal") << int(FilterOp::NotEqual) << "x" << text << Value() << ""
                                       << true;
    QTest::newRow("text less") << int(FilterOp::Less) << "b" << text << Value("Arad") << "Arad"
                               << true;
    QTest::newRow("integer greater reads the number")
        << int(FilterOp::Greater) << "9" << integer << Value(qint32(10)) << "10" << true;
    QTest::newRow("integer less or equal")
        << int(FilterOp::LessOrEqual) << "10" << integer << Value(qint32(10)) << "10" << true;
    QTest::newRow("date greater or equal")
        << int(FilterOp::GreaterOrEqual) << "2024-03-01" << date << Value(QDate(2024, 2, 29))
        << "29/02/2024" << false;
    QTest::newRow("null not less") << int(FilterOp::Less) << "9" << integer << Value() << ""
                                   << false;
    QTest::newRow("not like") << int(FilterOp::NotLike) << "C%" << text << Value("Arad")
                              << "Arad" << true;
    QTest::newRow("is null on null") << int(FilterOp::IsNull) << "" << text << Value() << ""
                                     << true;
    QTest::newRow("is null on empty text") << int(FilterOp::IsNull) << "" << text << Value("")
                                           << "" << false;
    QTest::newRow("is not null") << int(FilterOp::IsNotNull) << "" << integer
                                 << Value(qint32(0)) << "0" << true;
    QTest::newRow("number equality on shown text")
        << int(FilterOp::Equal) << "10" << integer << Value(qint32(10)) << "10" << true;
}

void TestRowFilter::builderComparisons()
{
    QFETCH(int, op);
    QFETCH(QString, operand);
    QFETCH(int, kind);
    QFETCH(Value, value);
    QFETCH(QString, display);
    QFETCH(bool, kept);
    const CellPredicate p(FilterOp(op), operand, FieldKind(kind));
    QCOMPARE(p.matches(value, display), kept);
}

void TestRowFilter::unreadableOperandIsRefused()
{
    QVERIFY_THROWS_EXCEPTION(Error, CellPredicate(FilterOp::Less, "abc", FieldKind::Integer));
}

QTEST_GUILESS_MAIN(TestRowFilter)
#include "tst_rowfilter.moc"
