#include "gridfixture.h"

#include "data/datasetmodel.h"
#include "data/error.h"
#include "grid/buttonedit.h"
#include "grid/filterbuilderdialog.h"
#include "grid/filterheader.h"
#include "grid/groupbybox.h"
#include "grid/gridview.h"
#include "grid/navigator.h"
#include "grid/presentationmodel.h"
#include "grid/stylesheets.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QAbstractItemView>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

class TestGridView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void modelsKeepTheirContractThroughEveryChange();
    void filterRowKeepsMatchingRows_data();
    void filterRowKeepsMatchingRows();
    void filterRowCaptionShowsOnlyWithoutConditions();
    void dateFilterComparesTheShownText();
    void builderConditionsCombineWithTheFilterRow();
    void sortingByHeaderClicks();
    void groupingByOneAndTwoColumnsAndBack();
    void ungroupFromTheGroupByBoxMenu();
    void headersDropOnTheBoxAndBack();
    void filterBuilderDialogReadsItsLines();
    void navigatorStatesAndPosition();
    void navigatorOnReadOnlyAndEmptyDataSets();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void currentRowFollowsBothWays();
    void movingToAnotherRowPostsTheEdit();
    void failedPostKeepsTheRow();
    void enterMovesToTheNextCell();
    void editorChosenForEachKind_data();
    void editorChosenForEachKind();
    void readOnlyColumnsDoNotEdit();
    void unchangedTimestampKeepsMicroseconds();
    void ctrlDeleteEmptiesADate();
    void comboCompletesAndKeepsUnlistedValues();
    void ellipsisAndBytesButtonsRunTheOwnersHandlers();
    void newRowStaysVisibleUntilPosted();
    void bookmarksReturnToTheRow();
    void styleSheetColoursReachTheRows();

private:
    QStringList presentedNames() const;
    QModelIndex cell(int sourceRow, const QString &column) const;
    void openEditor(int sourceRow, const QString &column);
    QWidget *editor() const;

    std::unique_ptr<RecordingDesktop> m_desktop;
    std::unique_ptr<DataSet> m_ds;
    std::unique_ptr<GridView> m_grid;
};

void TestGridView::init()
{
    m_desktop = std::make_unique<RecordingDesktop>();
    m_ds = makeDataSet();
    m_grid = std::make_unique<GridView>();
    m_grid->setDataSet(m_ds.get());
    m_grid->setFilterRowVisible(true);
    m_grid->setGroupByBoxVisible(true);
    m_grid->setPositionPanelVisible(true);
    m_grid->resize(900, 400);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void TestGridView::cleanup()
{
    m_grid.reset();
    m_ds.reset();
    m_desktop.reset();
}

QStringList TestGridView::presentedNames() const
{
    QStringList names;
    PresentationModel *m = m_grid->presentationModel();
    for (int i = 0; i < m->presentedRowCount(); ++i)
        names << m_ds->value(m->sourceRowAt(i), 0).toString();
    return names;
}

QModelIndex TestGridView::cell(int sourceRow, const QString &column) const
{
    return m_grid->presentationModel()->indexOfSourceRow(sourceRow, m_ds->fieldIndex(column));
}

void TestGridView::openEditor(int sourceRow, const QString &column)
{
    const QModelIndex i = cell(sourceRow, column);
    QTreeView *view = m_grid->view();
    view->scrollTo(i);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(i).center());
}

QWidget *TestGridView::editor() const
{
    return m_grid->view()->indexWidget(m_grid->view()->currentIndex());
}

void TestGridView::modelsKeepTheirContractThroughEveryChange()
{
    QAbstractItemModelTester sourceTester(m_grid->dataSetModel(),
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester tester(m_grid->presentationModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_grid->setFilterRowText("town", "cl%");
    m_grid->sortBy("name", Qt::DescendingOrder);
    m_ds->insert();
    m_ds->setValue("name", Value("Zoe"));
    m_ds->post();
    m_grid->groupBy({"active", "town"});
    m_grid->expandAll();
    m_ds->edit();
    m_ds->setValue("town", Value("Brasov")); // leaves its group when posted
    m_ds->post();
    m_ds->append();
    m_ds->cancel();
    m_ds->moveTo(0);
    m_ds->remove();
    m_grid->setFilterRowText("town", QString());
    m_grid->groupBy({});
    m_ds->refresh();
    m_ds->close();
    m_ds->open();
}

void TestGridView::filterRowKeepsMatchingRows_data()
{
    QTest::addColumn<QStringList>("typed"); // "column=text", applied in order
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("equal, case ignored") << QStringList{"town=CLUJ"} << QStringList{"Ana", "Dan"};
    QTest::newRow("prefix is not a match") << QStringList{"town=Clu"} << QStringList{};
    QTest::newRow("percent") << QStringList{"town=clu%"}
                             << QStringList{"Ana", "Bogdan", "Dan"};
    QTest::newRow("underscore") << QStringList{"town=_asi"} << QStringList{"Carmen"};
    QTest::newRow("pattern never keeps nulls") << QStringList{"town=%"}
                                               << QStringList{"Ana", "Bogdan", "Carmen", "Dan",
                                                              "Florin"};
    QTest::newRow("number by its text") << QStringList{"qty=3"} << QStringList{"Ana", "Florin"};
    QTest::newRow("two columns must both hold")
        << QStringList{"town=cluj", "qty=3"} << QStringList{"Ana"};
    QTest::newRow("emptied cell drops its condition")
        << QStringList{"town=cluj", "qty=3", "town="} << QStringList{"Ana", "Florin"};
}

void TestGridView::filterRowKeepsMatchingRows()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, kept);
    for (const QString &t : typed) {
        const QString column = t.section('=', 0, 0), text = t.section('=', 1);
        // Typed into the filter row's editor, one key at a time.
        QLineEdit *e = m_grid->header()->filterEditor(m_ds->fieldIndex(column));
        QVERIFY(e);
        e->clear();
        QTest::keyClicks(e, text);
        QCOMPARE(m_grid->filterRowText(column), text);
    }
    QCOMPARE(presentedNames(), kept);
}

void TestGridView::filterRowCaptionShowsOnlyWithoutConditions()
{
    QVERIFY(m_grid->header()->isFilterCaptionShown());
    m_grid->setFilterRowText("name", "Ana");
    QVERIFY(!m_grid->header()->isFilterCaptionShown());
    m_grid->setFilterRowText("name", QString());
    QVERIFY(m_grid->header()->isFilterCaptionShown());
    QCOMPARE(presentedNames().size(), 6);
}

void TestGridView::dateFilterComparesTheShownText()
{
    const QString shown = DataSetModel::displayText(Value(QDate(2024, 1, 5)), FieldKind::Date);
    m_grid->setFilterRowText("sold", shown);
    QCOMPARE(presentedNames(), (QStringList{"Ana", "Dan"}));
}

void TestGridView::builderConditionsCombineWithTheFilterRow()
{
    const int town = m_ds->fieldIndex("town"), qty = m_ds->fieldIndex("qty"),
              active = m_ds->fieldIndex("active");
    // qty > 5 or active is null  ->  Bogdan, Carmen
    m_grid->setFilterConditions({{qty, FilterOp::Greater, "5", false},
                                 {active, FilterOp::IsNull, QString(), true}});
    QCOMPARE(presentedNames(), (QStringList{"Bogdan", "Carmen"}));
    // and the filter row on top
    m_grid->setFilterRowText("town", "iasi");
    QCOMPARE(presentedNames(), (QStringList{"Carmen"}));
    // and binds tighter than or: town like c% and qty < 5, or name = florin
    m_grid->setFilterRowText("town", QString());
    m_grid->setFilterConditions({{town, FilterOp::Like, "c%", false},
                                 {qty, FilterOp::Less, "5", false},
                                 {0, FilterOp::Equal, "florin", true}});
    QCOMPARE(presentedNames(), (QStringList{"Ana", "Florin"}));
    const QList<FilterCondition> bad{{qty, FilterOp::Less, "x", false}};
    QVERIFY_THROWS_EXCEPTION(Error, m_grid->setFilterConditions(bad));
    QCOMPARE(presentedNames(), (QStringList{"Ana", "Florin"}));
}

void TestGridView::sortingByHeaderClicks()
{
    QHeaderView *h = m_grid->header();
    const int qty = m_ds->fieldIndex("qty");
    auto click = [&] {
        const QPoint at(h->sectionViewportPosition(qty) + h->sectionSize(qty) / 2, 6);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    };
    click();
    // Nulls first, equal values keep the data set's order.
    QCOMPARE(presentedNames(), (QStringList{"Dan", "Elena", "Ana", "Florin", "Carmen", "Bogdan"}));
    click();
    QCOMPARE(presentedNames(), (QStringList{"Bogdan", "Carmen", "Ana", "Florin", "Elena", "Dan"}));
}

void TestGridView::groupingByOneAndTwoColumnsAndBack()
{
    PresentationModel *m = m_grid->presentationModel();
    const int town = m_ds->fieldIndex("town");
    m_grid->groupBy({"town"});
    QCOMPARE(m_grid->groupLevels(), 1);
    QCOMPARE(m_grid->groupedColumns(), QStringList{"town"});
    QVERIFY(m_grid->header()->isSectionHidden(town));
    QStringList groups;
    for (int r = 0; r < m->rowCount(); ++r)
        groups << m->index(r, 0).data().toString();
    // Case-blind like the filter; nulls first.
    QCOMPARE(groups, (QStringList{"town: ", "town: Brasov", "town: Cluj", "town: Cluj-Napoca",
                                  "town: Iasi"}));
    QCOMPARE(m->rowCount(m->index(2, 0)), 2);
    QCOMPARE(presentedNames(), (QStringList{"Elena", "Florin", "Ana", "Dan", "Bogdan", "Carmen"}));

    m_grid->groupBy({"active", "town"});
    QCOMPARE(m_grid->groupLevels(), 2);
    const QModelIndex yes = m->index(2, 0); // null, false, true
    QCOMPARE(yes.data().toString(), QString("active: True"));
    QCOMPARE(m->rowCount(yes), 2); // Brasov, Cluj
    const QModelIndex cluj = m->index(1, 0, yes);
    QCOMPARE(cluj.data().toString(), QString("town: Cluj"));
    QVERIFY(!m->hasChildren(m->index(0, 0, cluj)));
    QCOMPARE(m->index(1, 0, cluj).data(Qt::EditRole).toString(), QString("Dan"));
    m_grid->expandAll();
    QVERIFY(m_grid->view()->isExpanded(cluj));

    m_grid->groupBy({});
    QCOMPARE(m_grid->groupLevels(), 0);
    QVERIFY(!m_grid->header()->isSectionHidden(town));
    QCOMPARE(m->rowCount(), 6);
    QVERIFY(!m->hasChildren(m->index(0, 0)));
}

void TestGridView::ungroupFromTheGroupByBoxMenu()
{
    m_grid->groupBy({"town", "active"});
    std::unique_ptr<QMenu> menu(
        m_grid->groupByBox()->createContextMenu(m_ds->fieldIndex("town"), nullptr));
    QCOMPARE(menu->actions().first()->text(), QString("Ungroup"));
    menu->actions().first()->trigger();
    QCOMPARE(m_grid->groupedColumns(), QStringList{"active"});
    QCOMPARE(m_grid->groupByBox()->columns(), QList<int>{m_ds->fieldIndex("active")});
}

namespace {
// Drop handlers, reached without a real drag (QDrag runs its own event loop).
struct BoxDrop : GroupByBox
{
    using GroupByBox::dropEvent;
};
struct HeaderDrop : FilterHeader
{
    using FilterHeader::dropEvent;
};
} // namespace

void TestGridView::headersDropOnTheBoxAndBack()
{
    auto dropOn = [](auto *target, auto handler, const QByteArray &payload, const QPoint &at) {
        QMimeData mime;
        mime.setData(FilterHeader::columnMimeType, payload);
        QDropEvent event(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        event.ignore();
        (target->*handler)(&event);
        return event.isAccepted();
    };
    auto drop = [&](QWidget *target, const QByteArray &payload, const QPoint &at) {
        if (auto *box = qobject_cast<GroupByBox *>(target))
            return dropOn(box, &BoxDrop::dropEvent, payload, at);
        return dropOn(static_cast<FilterHeader *>(target), &HeaderDrop::dropEvent, payload, at);
    };
    const QByteArray owner = QByteArray::number(quintptr(m_grid.get()));
    const int town = m_ds->fieldIndex("town"), active = m_ds->fieldIndex("active");
    GroupByBox *box = m_grid->groupByBox();
    QVERIFY(drop(box, owner + ":h:" + QByteArray::number(town), QPoint(500, 10)));
    // Dropped left of the first level: becomes the first level.
    QVERIFY(drop(box, owner + ":h:" + QByteArray::number(active), QPoint(1, 10)));
    QCOMPARE(m_grid->groupedColumns(), (QStringList{"active", "town"}));
    // Another grid's header, or a box item dropped on the box, changes nothing.
    QVERIFY(!drop(box, "1:h:" + QByteArray::number(0), QPoint(500, 10)));
    QVERIFY(!drop(box, owner + ":g:" + QByteArray::number(0), QPoint(500, 10)));
    QCOMPARE(m_grid->groupLevels(), 2);
    QVERIFY(drop(m_grid->header(), owner + ":g:" + QByteArray::number(town),
                 QPoint(5, 5)));
    QCOMPARE(m_grid->groupedColumns(), QStringList{"active"});
}

void TestGridView::filterBuilderDialogReadsItsLines()
{
    const QList<FilterBuilderDialog::Column> columns{{0, "name", FieldKind::Text},
                                                     {6, "qty", FieldKind::Integer}};
    FilterBuilderDialog dialog(columns);
    const QList<FilterCondition> conditions{{6, FilterOp::GreaterOrEqual, "3", false},
                                            {0, FilterOp::Like, "a%", false},
                                            {0, FilterOp::IsNull, QString(), true}};
    dialog.setConditions(conditions);
    QCOMPARE(dialog.lineCount(), 3);
    QVERIFY(!dialog.operandEdit(2)->isEnabled()); // "is blank" takes no value
    QCOMPARE(dialog.conditions(), conditions);
    dialog.addLine();
    dialog.joinBox(3)->setCurrentIndex(1);
    dialog.columnBox(3)->setCurrentIndex(1);
    dialog.opBox(3)->setCurrentIndex(dialog.opBox(3)->findData(int(FilterOp::NotEqual)));
    QTest::keyClicks(dialog.operandEdit(3), "7");
    QCOMPARE(dialog.conditions().last(), (FilterCondition{6, FilterOp::NotEqual, "7", true}));
    // The grid applies what the dialog returns.
    m_grid->setFilterConditions(dialog.conditions());
    // (qty >= 3 and name like a%) or name is blank or qty <> 7; a null qty is not 7.
    QCOMPARE(presentedNames(), (QStringList{"Ana", "Bogdan", "Dan", "Elena", "Florin"}));
}

void TestGridView::navigatorStatesAndPosition()
{
    Navigator *nav = m_grid->navigator();
    auto enabled = [&](Navigator::Button b) { return nav->button(b)->isEnabled(); };
    QCOMPARE(nav->button(Navigator::Filter)->toolTip(), QString("Filter data"));
    QCOMPARE(nav->positionText(), QString("1 of 6"));
    QVERIFY(!enabled(Navigator::First) && !enabled(Navigator::Prior)
            && !enabled(Navigator::PriorPage));
    QVERIFY(enabled(Navigator::Next) && enabled(Navigator::Last) && enabled(Navigator::NextPage));
    QVERIFY(!enabled(Navigator::Post) && !enabled(Navigator::Cancel) && enabled(Navigator::Edit));

    nav->button(Navigator::Next)->click();
    QCOMPARE(m_ds->currentRow(), 1);
    QCOMPARE(nav->positionText(), QString("2 of 6"));
    QVERIFY(enabled(Navigator::First) && enabled(Navigator::Next));

    nav->button(Navigator::Last)->click();
    QCOMPARE(nav->positionText(), QString("6 of 6"));
    QVERIFY(!enabled(Navigator::Next) && !enabled(Navigator::Last) && enabled(Navigator::Prior));

    nav->button(Navigator::Edit)->click();
    QVERIFY(m_ds->state() == DataSet::State::Edit);
    QVERIFY(enabled(Navigator::Post) && enabled(Navigator::Cancel) && !enabled(Navigator::Edit));
    nav->button(Navigator::Cancel)->click();
    QVERIFY(m_ds->state() == DataSet::State::Browse);
    QVERIFY(!enabled(Navigator::Post) && !enabled(Navigator::Cancel));

    nav->button(Navigator::Insert)->click();
    QVERIFY(m_ds->state() == DataSet::State::Insert);
    QVERIFY(enabled(Navigator::Post) && enabled(Navigator::Cancel));
    QCOMPARE(nav->positionText(), QString("6 of 7"));
    m_ds->setValue("name", Value("Zoe"));
    nav->button(Navigator::Post)->click();
    QVERIFY(m_ds->state() == DataSet::State::Browse);

    // Positions count the presented rows in their presented order.
    m_grid->setFilterRowText("town", "cluj");
    m_grid->sortBy("name", Qt::DescendingOrder);
    m_ds->moveTo(m_ds->rowCount() - 1);
    QCOMPARE(nav->positionText(), QString("0 of 2")); // the current row is filtered out
    nav->button(Navigator::First)->click();
    QCOMPARE(m_ds->value("name").toString(), QString("Dan"));
    QCOMPARE(nav->positionText(), QString("1 of 2"));
    nav->button(Navigator::Next)->click();
    QCOMPARE(m_ds->value("name").toString(), QString("Ana"));
    QVERIFY(!enabled(Navigator::Next));
}

void TestGridView::navigatorOnReadOnlyAndEmptyDataSets()
{
    Navigator *nav = m_grid->navigator();
    m_ds->setReadOnly(true);
    m_ds->close();
    m_ds->open();
    for (auto b : {Navigator::Insert, Navigator::Delete, Navigator::Edit})
        QVERIFY2(!nav->button(b)->isEnabled(), qPrintable(Navigator::hint(b)));
    QVERIFY(!(m_grid->presentationModel()->flags(cell(0, "name")) & Qt::ItemIsEditable));

    DataSet empty(nullptr, QString());
    empty.setFields({{"name", FieldKind::Text, 10}});
    empty.open();
    m_grid->setDataSet(&empty);
    QCOMPARE(nav->positionText(), QString("0 of 0"));
    for (auto b : {Navigator::First, Navigator::Prior, Navigator::Next, Navigator::Last,
                   Navigator::Delete, Navigator::Post})
        QVERIFY2(!nav->button(b)->isEnabled(), qPrintable(Navigator::hint(b)));
    QVERIFY(nav->button(Navigator::Insert)->isEnabled());
    m_grid->setDataSet(nullptr);
}

void TestGridView::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QStringList>("left");
    const QStringList all{"Ana", "Bogdan", "Carmen", "Dan", "Elena", "Florin"};
    QTest::newRow("one, OK") << true << 1 << "Delete record?"
                             << QStringList{"Ana", "Carmen", "Dan", "Elena", "Florin"};
    QTest::newRow("one, Cancel") << false << 1 << "Delete record?" << all;
    QTest::newRow("several, OK") << true << 3 << "Delete all selected records?"
                                 << QStringList{"Ana", "Elena", "Florin"};
    QTest::newRow("several, Cancel") << false << 3 << "Delete all selected records?" << all;
}

void TestGridView::deleteAsksFirst()
{
    QFETCH(bool, answer);
    QFETCH(int, selected);
    QFETCH(QString, question);
    QFETCH(QStringList, left);
    m_desktop->answer = answer;
    QTreeView *view = m_grid->view();
    openEditor(1, "name");
    if (selected > 1) {
        const QModelIndex last = cell(selected, "name");
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          view->visualRect(last).center());
    }
    m_grid->navigator()->button(Navigator::Delete)->click();
    QCOMPARE(m_desktop->questions, QStringList{question});
    QCOMPARE(presentedNames(), left);
    QVERIFY(m_desktop->errors.isEmpty());
}

void TestGridView::currentRowFollowsBothWays()
{
    m_grid->sortBy("name", Qt::DescendingOrder);
    m_ds->moveTo(2);
    QCOMPARE(m_grid->presentationModel()->sourceRow(m_grid->view()->currentIndex()), 2);
    QVERIFY(m_grid->view()->selectionModel()->isRowSelected(m_grid->view()->currentIndex().row(),
                                                             {}));
    openEditor(4, "town");
    QCOMPARE(m_ds->currentRow(), 4);
    // Grouped: the data set's move opens the row's group.
    m_grid->groupBy({"town"});
    m_ds->moveTo(1);
    QVERIFY(m_grid->view()->currentIndex().isValid());
    QVERIFY(m_grid->view()->isExpanded(m_grid->view()->currentIndex().parent()));
    QCOMPARE(m_grid->presentationModel()->sourceRow(m_grid->view()->currentIndex()), 1);
}

void TestGridView::movingToAnotherRowPostsTheEdit()
{
    openEditor(0, "town");
    auto *e = qobject_cast<QLineEdit *>(editor());
    QVERIFY(e);
    QVERIFY(m_ds->state() == DataSet::State::Browse); // opening an editor edits nothing
    e->selectAll();
    QTest::keyClicks(e, "Turda");
    openEditor(2, "town");
    QCOMPARE(m_ds->currentRow(), 2);
    QVERIFY(m_ds->state() == DataSet::State::Browse);
    QCOMPARE(m_ds->value(0, 1).toString(), QString("Turda"));
    QVERIFY(m_desktop->errors.isEmpty());
}

void TestGridView::failedPostKeepsTheRow()
{
    m_grid->setDataSet(nullptr);
    m_ds = makeDataSet(true);
    m_grid->setDataSet(m_ds.get());
    openEditor(0, "name");
    auto *e = qobject_cast<QLineEdit *>(editor());
    QVERIFY(e);
    e->clear(); // name is required
    QTest::keyClick(e, Qt::Key_Space);
    QTest::keyClick(e, Qt::Key_Backspace);
    openEditor(3, "name");
    QCOMPARE(m_desktop->errors, QStringList{"Field 'name' must have a value"});
    QCOMPARE(m_ds->currentRow(), 0);
    QVERIFY(m_ds->state() == DataSet::State::Edit);
    QTRY_COMPARE(m_grid->presentationModel()->sourceRow(m_grid->view()->currentIndex()), 0);
}

void TestGridView::enterMovesToTheNextCell()
{
    m_grid->setVisibleColumns({"qty", "name", "town"});
    openEditor(0, "name");
    auto *e = qobject_cast<QLineEdit *>(editor());
    QVERIFY(e);
    e->selectAll();
    QTest::keyClicks(e, "Anca");
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(m_grid->view()->currentIndex(), cell(0, "town"));
    QCOMPARE(m_ds->value(0, 0).toString(), QString("Anca"));
    QVERIFY(qobject_cast<QLineEdit *>(editor())); // the next cell's editor is open
    // After the last column: the next row's first column, posting this one.
    QTest::keyClick(editor(), Qt::Key_Enter);
    QCOMPARE(m_grid->view()->currentIndex(), cell(1, "qty"));
    QCOMPARE(m_ds->currentRow(), 1);
    QVERIFY(m_ds->state() == DataSet::State::Browse);
}

void TestGridView::editorChosenForEachKind_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("editorClass");
    QTest::newRow("text") << "name" << "QLineEdit";
    QTest::newRow("integer") << "qty" << "QLineEdit";
    QTest::newRow("date") << "sold" << "QDateEdit";
    QTest::newRow("timestamp") << "stamp" << "QDateTimeEdit";
    QTest::newRow("boolean") << "active" << "QCheckBox";
    QTest::newRow("memo") << "notes" << "ButtonEdit";
    QTest::newRow("bytes") << "doc" << "ButtonEdit";
}

void TestGridView::editorChosenForEachKind()
{
    QFETCH(QString, column);
    QFETCH(QString, editorClass);
    openEditor(2, column);
    QVERIFY(editor());
    QCOMPARE(QString(editor()->metaObject()->className()), editorClass);
    if (column == "name")
        QCOMPARE(static_cast<QLineEdit *>(editor())->maxLength(), 20);
    if (column == "active") // null shows greyed
        QCOMPARE(static_cast<QCheckBox *>(editor())->checkState(), Qt::PartiallyChecked);
    if (column == "notes") { // several lines: the dialog edits them
        auto *memo = static_cast<ButtonEdit *>(editor());
        QVERIFY(memo->lineEdit()->isReadOnly());
        QVERIFY(memo->button()->isVisible());
    }
    QVERIFY(m_ds->state() == DataSet::State::Browse);
}

void TestGridView::readOnlyColumnsDoNotEdit()
{
    openEditor(1, "code");
    QVERIFY(!editor());
    QVERIFY(!(cell(1, "code").flags() & Qt::ItemIsEditable));
}

void TestGridView::unchangedTimestampKeepsMicroseconds()
{
    const Value before = m_ds->value(3, m_ds->fieldIndex("stamp"));
    QCOMPARE(before.get<Timestamp>().microsecond(), 123459);
    openEditor(3, "stamp");
    QVERIFY(qobject_cast<QDateTimeEdit *>(editor()));
    QTest::keyClick(editor(), Qt::Key_Return);
    QCOMPARE(m_ds->value(3, m_ds->fieldIndex("stamp")), before);
    QVERIFY(m_ds->state() == DataSet::State::Browse);
    // Changing it writes the new second.
    openEditor(3, "stamp");
    auto *e = qobject_cast<QDateTimeEdit *>(editor());
    e->setDateTime(e->dateTime().addSecs(60));
    QTest::keyClick(e, Qt::Key_Return);
    const Timestamp after = m_ds->value(3, m_ds->fieldIndex("stamp")).get<Timestamp>();
    QCOMPARE(after.time().minute(), 35);
}

void TestGridView::ctrlDeleteEmptiesADate()
{
    const int sold = m_ds->fieldIndex("sold");
    int row = 0;
    while (m_ds->value(row, sold).isNull())
        ++row;
    openEditor(row, "sold");
    QVERIFY(qobject_cast<QDateEdit *>(editor()));
    QTest::keyClick(editor(), Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(editor(), Qt::Key_Return);
    m_ds->post();
    QVERIFY(m_ds->value(row, sold).isNull());
}

void TestGridView::comboCompletesAndKeepsUnlistedValues()
{
    m_grid->setComboEditor("town", {"Iasi", "Brasov", "Bistrita", "Cluj"}, 5);
    // A stored value not in the list shows as it is.
    openEditor(1, "town");
    auto *combo = qobject_cast<QComboBox *>(editor());
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), QString("Cluj-Napoca"));
    QCOMPARE(combo->maxVisibleItems(), 5);
    QCOMPARE(combo->itemText(1), QString("Brasov"));
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), "b");
    QCOMPARE(combo->currentText(), QString("Brasov")); // the first matching entry
    QCOMPARE(combo->lineEdit()->selectedText(), QString("rasov"));
    QVERIFY(combo->completer()->popup()->isVisible()); // typing opens the list
    QTest::keyClicks(combo->lineEdit(), "i");
    QCOMPARE(combo->currentText(), QString("Bistrita"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Delete); // any text is accepted
    QTest::keyClicks(combo->lineEdit(), "x");
    QCOMPARE(combo->currentText(), QString("Bix"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE(m_ds->value(1, 1).toString(), QString("Bix"));
}

void TestGridView::ellipsisAndBytesButtonsRunTheOwnersHandlers()
{
    int picked = 0, attached = 0;
    m_grid->setEllipsisEditor("town", [&] { ++picked; });
    m_grid->setBytesButtonHandler("doc", [&] {
        ++attached;
        m_ds->edit();
        m_ds->setValue("doc", Value(QByteArray("data")));
    });
    openEditor(1, "town");
    auto *ellipsis = qobject_cast<ButtonEdit *>(editor());
    QVERIFY(ellipsis);
    QVERIFY(ellipsis->lineEdit()->isReadOnly());
    ellipsis->button()->click();
    QCOMPARE(picked, 1);
    openEditor(2, "doc");
    auto *bytes = qobject_cast<ButtonEdit *>(editor());
    QVERIFY(bytes);
    bytes->button()->click();
    QCOMPARE(attached, 1);
    QCOMPARE(m_ds->value(2, m_ds->fieldIndex("doc")), Value(QByteArray("data")));
}

void TestGridView::newRowStaysVisibleUntilPosted()
{
    m_grid->setFilterRowText("town", "cluj");
    m_ds->moveTo(3);
    m_grid->navigator()->button(Navigator::Insert)->click();
    QCOMPARE(m_grid->presentationModel()->presentedRowCount(), 3);
    QVERIFY(m_grid->presentationModel()->ordinalOf(m_ds->currentRow()) >= 0);
    m_ds->setValue("name", Value("Zoe"));
    m_ds->setValue("town", Value("Arad"));
    m_grid->navigator()->button(Navigator::Post)->click();
    QCOMPARE(presentedNames(), (QStringList{"Ana", "Dan"}));
    // A new row meeting the filter stays.
    m_grid->navigator()->button(Navigator::Insert)->click();
    m_ds->setValue("name", Value("Ion"));
    m_ds->setValue("town", Value("CLUJ"));
    m_grid->navigator()->button(Navigator::Post)->click();
    QCOMPARE(presentedNames().size(), 3);
}

void TestGridView::bookmarksReturnToTheRow()
{
    Navigator *nav = m_grid->navigator();
    QVERIFY(!nav->button(Navigator::GotoBookmark)->isEnabled());
    m_ds->moveTo(2);
    nav->button(Navigator::SaveBookmark)->click();
    m_ds->moveTo(5);
    nav->button(Navigator::GotoBookmark)->click();
    QCOMPARE(m_ds->currentRow(), 2);
}

void TestGridView::styleSheetColoursReachTheRows()
{
    const GridStyleSheet sheet = devExpressStyleSheet();
    QCOMPARE(sheet.caption, QString("DevExpress"));
    QCOMPARE(sheet.header.font->family(), QString("MS Sans Serif"));
    m_grid->setStyleSheetData(&sheet);
    PresentationModel *m = m_grid->presentationModel();
    auto bg = [](const QModelIndex &i) { return i.data(Qt::BackgroundRole).value<QBrush>().color(); };
    QCOMPARE(bg(m->index(0, 0)), QColor("#D9EAF7"));
    QCOMPARE(bg(m->index(1, 3)), QColor("#EAF3FB"));
    QCOMPARE(m->index(1, 3).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::black));
    m_grid->groupBy({"town"});
    QCOMPARE(bg(m->index(0, 0)), QColor("#F1EFE2"));
    QCOMPARE(m_grid->view()->palette().color(QPalette::Base), QColor("#FFFBF0"));
    m_grid->setStyleSheetData(nullptr);
}

QTEST_MAIN(TestGridView)
#include "tst_gridview.moc"
