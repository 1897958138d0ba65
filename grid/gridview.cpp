#include "grid/gridview.h"

#include "data/dataset.h"
#include "data/datasetmodel.h"
#include "desktop/desktop.h"
#include "grid/booleandelegate.h"
#include "grid/bytesdelegate.h"
#include "grid/combodelegate.h"
#include "grid/datedelegate.h"
#include "grid/ellipsisdelegate.h"
#include "grid/filterbuilderdialog.h"
#include "grid/filterheader.h"
#include "grid/gridtreeview.h"
#include "grid/groupbybox.h"
#include "grid/memodelegate.h"
#include "grid/navigator.h"
#include "grid/presentationmodel.h"
#include "grid/rowindicator.h"
#include "grid/stylesheet.h"
#include "grid/stylesheets.h"
#include "grid/textdelegate.h"
#include "grid/timestampdelegate.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

GridView::GridView(QWidget *parent) : QWidget(parent)
{
    m_presentation = new PresentationModel(this);
    m_view = new GridTreeView(this);
    m_header = new FilterHeader(m_view);
    m_view->setHeader(m_header);
    m_view->setModel(m_presentation);
    m_view->setSortingEnabled(true);
    m_view->setRootIsDecorated(false);
    m_view->setFrameShape(QFrame::NoFrame);
    m_header->setGroupDragEnabled(false, this);
    m_groupBox = new GroupByBox(this, this);
    m_groupBox->hide();
    m_navigator = new Navigator(this);
    m_navigator->setPositionVisible(false);
    m_indicator = new RowIndicator(m_view, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_groupBox);
    auto *rows = new QHBoxLayout;
    rows->setSpacing(0);
    rows->addWidget(m_indicator);
    rows->addWidget(m_view, 1);
    layout->addLayout(rows, 1);
    layout->addWidget(m_navigator);

    connect(m_navigator, &Navigator::buttonClicked, this,
            [this](Navigator::Button b) { navigatorClicked(b); });
    connect(m_header, &FilterHeader::filterChanged, this, [this](int column, const QString &text) {
        guarded([&] { m_presentation->setFilterRowText(column, text); });
    });
    connect(m_header, &FilterHeader::ungroupDropped, this, [this](int column) {
        QList<int> g = m_presentation->groupColumns();
        g.removeAll(column);
        applyGrouping(g);
    });
    connect(m_groupBox, &GroupByBox::groupRequested, this, [this](int column, int level) {
        QList<int> g = m_presentation->groupColumns();
        g.removeAll(column);
        g.insert(qBound(0, level, int(g.size())), column);
        applyGrouping(g);
    });
    connect(m_groupBox, &GroupByBox::ungroupRequested, this, [this](int column) {
        QList<int> g = m_presentation->groupColumns();
        g.removeAll(column);
        applyGrouping(g);
    });
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, m_header,
            &FilterHeader::adjustEditors);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { viewCurrentChanged(current); });
    connect(m_presentation, &QAbstractItemModel::modelAboutToBeReset, this,
            &GridView::rememberExpanded);
    connect(m_presentation, &QAbstractItemModel::modelReset, this, [this] {
        restoreExpanded();
        syncViewToDataSet();
    });
    connect(m_presentation, &QAbstractItemModel::rowsInserted, this, [this] {
        syncViewToDataSet();
    });
    connect(m_presentation, &QAbstractItemModel::rowsRemoved, this, &GridView::updateNavigator);
    connect(m_view, &QTreeView::expanded, this,
            [this](const QModelIndex &index) { spanGroupRows(index); });
    connect(qApp, &QApplication::focusChanged, this, &GridView::focusChanged);
    updateNavigator();
}

GridView::~GridView()
{
    // The view goes first, so that no editor commits into a model being destroyed.
    delete m_view;
    m_view = nullptr;
}

QTreeView *GridView::view() const
{
    return m_view;
}

int GridView::columnIndex(const QString &name) const
{
    return m_dataSet ? m_dataSet->fieldIndex(name) : -1;
}

void GridView::setDataSet(DataSet *dataSet)
{
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    closeEditor();
    DataSetModel *old = m_dataModel;
    m_dataSet = dataSet;
    m_dataModel = dataSet ? new DataSetModel(dataSet, this) : nullptr;
    if (m_dataModel)
        connect(m_dataModel, &DataSetModel::editFailed, this,
                [](const QString &message) { reportError(message); });
    if (dataSet) {
        connect(dataSet, &DataSet::currentRowChanged, this, &GridView::syncViewToDataSet);
        connect(dataSet, &DataSet::stateChanged, this, [this] {
            updateIndicator();
            updateNavigator();
        });
        // Fields may only be known once the data set opens.
        connect(m_dataModel, &QAbstractItemModel::modelReset, this, [this] {
            installDelegates();
            applyColumnLayout();
        });
    }
    m_presentation->setSourceModel(m_dataModel);
    delete old;
    installDelegates();
    applyColumnLayout();
    applyGrouping({});
    syncViewToDataSet();
}

// --- options ------------------------------------------------------------------------

void GridView::setFilterRowVisible(bool visible)
{
    m_header->setFilterRowVisible(visible);
    m_view->updateGeometry();
    // Let the tree lay out its header again with the new height.
    QResizeEvent e(m_view->size(), m_view->size());
    QApplication::sendEvent(m_view, &e);
}

bool GridView::isFilterRowVisible() const
{
    return m_header->isFilterRowVisible();
}

void GridView::setGroupByBoxVisible(bool visible)
{
    m_groupBox->setVisible(visible);
    m_header->setGroupDragEnabled(visible, this);
}

bool GridView::isGroupByBoxVisible() const
{
    return !m_groupBox->isHidden();
}

void GridView::setPositionPanelVisible(bool visible)
{
    m_navigator->setPositionVisible(visible);
}

bool GridView::isPositionPanelVisible() const
{
    return m_navigator->isPositionVisible();
}

void GridView::setColumnWidth(const QString &column, int pixels)
{
    m_widths.insert(column.toLower(), pixels);
    const int c = columnIndex(column);
    if (c >= 0)
        m_header->resizeSection(c, pixels);
}

void GridView::setColumnOrder(const QStringList &columns)
{
    m_order = columns;
    applyColumnLayout();
}

void GridView::setVisibleColumns(const QStringList &columns)
{
    m_visible = columns;
    m_order = columns;
    applyColumnLayout();
}

void GridView::applyColumnLayout()
{
    const int n = m_presentation->columnCount();
    if (m_header->count() != n)
        return;
    QStringList lowered;
    for (const QString &v : std::as_const(m_visible))
        lowered << v.toLower();
    const QList<int> grouped = m_presentation->groupColumns();
    for (int c = 0; c < n; ++c) {
        const QString name = m_dataSet->field(c).name.toLower();
        const bool shown = (m_visible.isEmpty() || lowered.contains(name)) && !grouped.contains(c);
        m_header->setSectionHidden(c, !shown);
        if (m_widths.contains(name))
            m_header->resizeSection(c, m_widths.value(name));
    }
    int visual = 0;
    for (const QString &name : std::as_const(m_order)) {
        const int c = columnIndex(name);
        if (c < 0)
            continue;
        m_header->moveSection(m_header->visualIndex(c), visual++);
    }
    m_header->adjustEditors();
}

QList<GridColumn> GridView::visibleColumns() const
{
    QList<GridColumn> out;
    for (int v = 0; v < m_header->count(); ++v) {
        const int logical = m_header->logicalIndex(v);
        if (m_header->isSectionHidden(logical))
            continue;
        out.append({logical, m_presentation->headerData(logical, Qt::Horizontal).toString(),
                    m_header->sectionSize(logical)});
    }
    return out;
}

void GridView::setStyleSheetData(const GridStyleSheet *sheet)
{
    m_sheet = sheet;
    m_presentation->setStyleSheetData(sheet);
    m_header->setStyleSheetData(sheet);
    m_groupBox->setStyleSheetData(sheet);
    m_indicator->setStyleSheetData(sheet);
    if (sheet && sheet->content.font) {
        m_view->setFont(displayFont(*sheet->content.font));
        m_header->setStyleSheetData(sheet); // the header keeps its own font
    }
    applyPalette();
}

void GridView::applyPalette()
{
    QPalette pal = m_view->palette();
    if (m_sheet) {
        auto set = [&](QPalette::ColorRole role, const std::optional<QColor> &c) {
            if (c) {
                pal.setColor(QPalette::Active, role, *c);
                pal.setColor(QPalette::Inactive, role, *c);
            }
        };
        set(QPalette::Base, m_sheet->background.background);
        set(QPalette::Text, m_sheet->content.textColor);
        set(QPalette::Highlight, m_sheet->selection.background);
        set(QPalette::HighlightedText, m_sheet->selection.textColor);
        // Without the focus the selection takes the "inactive" colours.
        const GridStyle &sel = m_focused ? m_sheet->selection : m_sheet->inactive;
        if (sel.background) {
            pal.setColor(QPalette::Active, QPalette::Highlight, *sel.background);
            pal.setColor(QPalette::Inactive, QPalette::Highlight, *sel.background);
        }
        if (!m_focused) {
            const QColor text = m_sheet->inactive.textColor.value_or(
                m_sheet->content.textColor.value_or(QColor(Qt::black)));
            pal.setColor(QPalette::Active, QPalette::HighlightedText, text);
            pal.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
        }
    }
    m_view->setPalette(pal);
}

void GridView::focusChanged(QWidget *, QWidget *now)
{
    if (!m_view)
        return;
    const bool focused = now && (now == m_view || m_view->isAncestorOf(now));
    if (focused == m_focused)
        return;
    m_focused = focused;
    applyPalette();
}

// --- editors -------------------------------------------------------------------------

void GridView::setEllipsisEditor(const QString &column, std::function<void()> handler)
{
    m_ellipsis.insert(column.toLower(), std::move(handler));
    installDelegates();
}

void GridView::setComboEditor(const QString &column, const QStringList &items, int visibleItems)
{
    m_combos.insert(column.toLower(), qMakePair(items, visibleItems));
    installDelegates();
}

void GridView::setBytesButtonHandler(const QString &column, std::function<void()> handler)
{
    m_bytesHandlers.insert(column.toLower(), std::move(handler));
    installDelegates();
}

QAbstractItemDelegate *GridView::delegateFor(const QString &column) const
{
    const int c = columnIndex(column);
    return c >= 0 ? m_view->itemDelegateForColumn(c) : nullptr;
}

void GridView::installDelegates()
{
    closeEditor();
    // A deleted delegate left registered would be called through a null pointer.
    for (int c = 0; c < int(m_delegates.size()); ++c)
        m_view->setItemDelegateForColumn(c, nullptr);
    qDeleteAll(m_delegates);
    m_delegates.clear();
    if (!m_dataSet)
        return;
    for (int c = 0; c < m_dataSet->fieldCount(); ++c) {
        const FieldDef &f = m_dataSet->field(c);
        const QString name = f.name.toLower();
        CellDelegate *d = nullptr;
        if (m_ellipsis.contains(name)) {
            d = new EllipsisDelegate(f, m_ellipsis.value(name), this);
        } else if (m_combos.contains(name)) {
            const auto combo = m_combos.value(name);
            d = new ComboDelegate(f, combo.first, combo.second, this);
        } else {
            switch (f.kind) {
            case FieldKind::Date: d = new DateDelegate(f, this); break;
            case FieldKind::Timestamp: d = new TimestampDelegate(f, this); break;
            case FieldKind::Boolean: d = new BooleanDelegate(f, this); break;
            case FieldKind::Memo: d = new MemoDelegate(f, this); break;
            case FieldKind::Bytes: {
                auto *b = new BytesDelegate(f, this);
                b->setButtonHandler(m_bytesHandlers.value(name));
                d = b;
                break;
            }
            default: d = new TextDelegate(f, this); break;
            }
        }
        m_delegates << d;
        m_view->setItemDelegateForColumn(c, d);
    }
}

// --- filters, sorting, grouping ---------------------------------------------------------

QString GridView::filterRowText(const QString &column) const
{
    return m_presentation->filterRowText(columnIndex(column));
}

void GridView::setFilterRowText(const QString &column, const QString &text)
{
    const int c = columnIndex(column);
    if (c < 0)
        return;
    if (m_header->filterEditor(c))
        m_header->setFilterText(c, text); // announced like a typed change
    else
        m_presentation->setFilterRowText(c, text);
}

void GridView::setFilterConditions(const QList<FilterCondition> &conditions)
{
    m_presentation->setConditions(conditions);
}

QList<FilterCondition> GridView::filterConditions() const
{
    return m_presentation->conditions();
}

void GridView::showFilterBuilder()
{
    if (!m_dataSet)
        return;
    QList<FilterBuilderDialog::Column> columns;
    for (const GridColumn &c : visibleColumns())
        columns.append({c.modelColumn, c.header, m_dataSet->field(c.modelColumn).kind});
    for (int g : m_presentation->groupColumns())
        columns.append({g, m_dataSet->field(g).name, m_dataSet->field(g).kind});
    FilterBuilderDialog dialog(columns, this);
    dialog.setConditions(m_presentation->conditions());
    if (dialog.exec() != QDialog::Accepted)
        return;
    guarded([&] { setFilterConditions(dialog.conditions()); });
}

void GridView::sortBy(const QString &column, Qt::SortOrder order)
{
    m_header->setSortIndicator(columnIndex(column), order); // the view sorts the model
}

void GridView::groupBy(const QStringList &columns)
{
    QList<int> g;
    for (const QString &name : columns)
        if (const int c = columnIndex(name); c >= 0)
            g << c;
    applyGrouping(g);
}

QStringList GridView::groupedColumns() const
{
    QStringList out;
    for (int c : m_presentation->groupColumns())
        out << m_dataSet->field(c).name;
    return out;
}

int GridView::groupLevels() const
{
    return int(m_presentation->groupColumns().size());
}

void GridView::applyGrouping(const QList<int> &columns)
{
    commitEditor();
    m_expanded.clear();
    m_presentation->setGroupColumns(columns);
    m_view->setRootIsDecorated(!columns.isEmpty());
    QList<QPair<int, QString>> items;
    for (int c : m_presentation->groupColumns())
        items.append({c, m_dataSet->field(c).name});
    m_groupBox->setColumns(items);
    applyColumnLayout();
    spanGroupRows({});
}

void GridView::expandAll()
{
    m_view->expandAll();
    spanGroupRows({});
}

void GridView::spanGroupRows(const QModelIndex &parent)
{
    if (m_presentation->groupColumns().isEmpty())
        return;
    const int n = m_presentation->rowCount(parent);
    for (int r = 0; r < n; ++r) {
        const QModelIndex i = m_presentation->index(r, 0, parent);
        if (!m_presentation->isGroupRow(i))
            return; // a leaf: data rows only
        m_view->setFirstColumnSpanned(r, parent, true);
        if (m_view->isExpanded(i))
            spanGroupRows(i);
    }
}

void GridView::rememberExpanded()
{
    m_expanded.clear();
    if (m_presentation->groupColumns().isEmpty())
        return;
    std::function<void(const QModelIndex &, const QString &)> walk =
        [&](const QModelIndex &parent, const QString &path) {
            for (int r = 0; r < m_presentation->rowCount(parent); ++r) {
                const QModelIndex i = m_presentation->index(r, 0, parent);
                if (!m_presentation->isGroupRow(i))
                    return;
                if (!m_view->isExpanded(i))
                    continue;
                const QString p = path + u'\x1f' + i.data().toString();
                m_expanded << p;
                walk(i, p);
            }
        };
    walk({}, QString());
}

void GridView::restoreExpanded()
{
    if (m_presentation->groupColumns().isEmpty())
        return;
    std::function<void(const QModelIndex &, const QString &)> walk =
        [&](const QModelIndex &parent, const QString &path) {
            for (int r = 0; r < m_presentation->rowCount(parent); ++r) {
                const QModelIndex i = m_presentation->index(r, 0, parent);
                if (!m_presentation->isGroupRow(i))
                    return;
                m_view->setFirstColumnSpanned(r, parent, true);
                const QString p = path + u'\x1f' + i.data().toString();
                if (m_expanded.contains(p)) {
                    m_view->expand(i);
                    walk(i, p);
                }
            }
        };
    walk({}, QString());
}

// --- current row ---------------------------------------------------------------------

void GridView::syncViewToDataSet()
{
    updateNavigator();
    updateIndicator();
    if (!m_dataSet || m_syncing || !m_view)
        return;
    const int row = m_dataSet->currentRow();
    int column = m_view->currentIndex().column();
    if (column < 0 || m_header->isSectionHidden(column)) {
        const QList<GridColumn> cols = visibleColumns();
        column = cols.isEmpty() ? 0 : cols.first().modelColumn;
    }
    const QModelIndex index = m_presentation->indexOfSourceRow(row, column);
    if (index == m_view->currentIndex() && index.isValid())
        return;
    m_syncing = true;
    // A move of the data set selects the row; it opens no editor.
    const auto triggers = m_view->editTriggers();
    m_view->setEditTriggers(triggers & ~QAbstractItemView::CurrentChanged);
    if (index.isValid()) {
        for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
            if (!m_view->isExpanded(p)) {
                m_view->expand(p);
            }
        m_view->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(index);
    } else {
        m_view->selectionModel()->clear();
    }
    m_view->setEditTriggers(triggers);
    m_syncing = false;
    updateNavigator();
    m_indicator->update();
}

void GridView::viewCurrentChanged(const QModelIndex &current)
{
    m_indicator->update();
    if (m_syncing || !m_dataSet)
        return;
    const int row = m_presentation->sourceRow(current);
    if (row < 0 || row == m_dataSet->currentRow())
        return;
    // Leaving the row posts it; when that fails the grid stays on it.
    if (!guarded([&] { m_dataSet->moveTo(row); }))
        QMetaObject::invokeMethod(this, [this] { syncViewToDataSet(); }, Qt::QueuedConnection);
}

void GridView::updateIndicator()
{
    if (!m_dataSet)
        return;
    switch (m_dataSet->state()) {
    case DataSet::State::Edit: m_indicator->setMark(RowIndicator::Mark::Edit); break;
    case DataSet::State::Insert: m_indicator->setMark(RowIndicator::Mark::Insert); break;
    default: m_indicator->setMark(RowIndicator::Mark::Browse); break;
    }
}

int GridView::currentOrdinal() const
{
    return m_dataSet ? m_presentation->ordinalOf(m_dataSet->currentRow()) : -1;
}

void GridView::updateNavigator()
{
    const int count = m_presentation->presentedRowCount();
    const int ordinal = currentOrdinal();
    const bool active = m_dataSet && m_dataSet->isActive();
    const bool atFirst = count == 0 || ordinal == 0;
    const bool atLast = count == 0 || ordinal == count - 1;
    const bool modify = active && m_dataSet->canModify();
    const bool editing = active && m_dataSet->isEditing();
    const bool hasRow = active && m_dataSet->currentRow() >= 0;
    auto enable = [&](Navigator::Button b, bool on) { m_navigator->button(b)->setEnabled(on); };
    enable(Navigator::First, active && !atFirst);
    enable(Navigator::PriorPage, active && !atFirst);
    enable(Navigator::Prior, active && !atFirst);
    enable(Navigator::Next, active && !atLast);
    enable(Navigator::NextPage, active && !atLast);
    enable(Navigator::Last, active && !atLast);
    enable(Navigator::Insert, modify);
    enable(Navigator::Delete, modify && hasRow);
    enable(Navigator::Edit, modify && hasRow && !editing);
    enable(Navigator::Post, editing);
    enable(Navigator::Cancel, editing);
    enable(Navigator::Refresh, active);
    enable(Navigator::SaveBookmark, hasRow);
    enable(Navigator::GotoBookmark, active && m_hasBookmark);
    enable(Navigator::Filter, active);
    m_navigator->setPosition(ordinal + 1, count);
}

// --- navigator actions ------------------------------------------------------------------

void GridView::navigatorClicked(int button)
{
    switch (Navigator::Button(button)) {
    case Navigator::First: moveFirst(); break;
    case Navigator::PriorPage: movePriorPage(); break;
    case Navigator::Prior: movePrior(); break;
    case Navigator::Next: moveNext(); break;
    case Navigator::NextPage: moveNextPage(); break;
    case Navigator::Last: moveLast(); break;
    case Navigator::Insert: insertRecord(); break;
    case Navigator::Delete: deleteRecords(); break;
    case Navigator::Edit: editRecord(); break;
    case Navigator::Post: postEdit(); break;
    case Navigator::Cancel: cancelEdit(); break;
    case Navigator::Refresh: refreshData(); break;
    case Navigator::SaveBookmark: saveBookmark(); break;
    case Navigator::GotoBookmark: gotoBookmark(); break;
    case Navigator::Filter: showFilterBuilder(); break;
    default: break;
    }
    updateNavigator();
}

void GridView::commitEditor()
{
    if (!m_view)
        return;
    m_view->closeCurrentEditor(true);
}

void GridView::closeEditor()
{
    if (!m_view)
        return;
    m_view->closeCurrentEditor(false);
}

int GridView::pageRows() const
{
    const int h = m_view->sizeHintForRow(0);
    return qMax(1, h > 0 ? m_view->viewport()->height() / h - 1 : 10);
}

void GridView::moveToOrdinal(int ordinal)
{
    if (!m_dataSet)
        return;
    const int count = m_presentation->presentedRowCount();
    if (count == 0)
        return;
    commitEditor();
    const int row = m_presentation->sourceRowAt(qBound(0, ordinal, count - 1));
    guarded([&] { m_dataSet->moveTo(row); });
}

void GridView::moveFirst() { moveToOrdinal(0); }
void GridView::movePriorPage() { moveToOrdinal(currentOrdinal() - pageRows()); }
void GridView::movePrior() { moveToOrdinal(currentOrdinal() - 1); }
void GridView::moveNext() { moveToOrdinal(currentOrdinal() + 1); }
void GridView::moveNextPage() { moveToOrdinal(currentOrdinal() + pageRows()); }
void GridView::moveLast() { moveToOrdinal(m_presentation->presentedRowCount() - 1); }

void GridView::insertRecord()
{
    if (!m_dataSet)
        return;
    commitEditor();
    if (guarded([&] { m_dataSet->insert(); }))
        m_view->setFocus();
}

void GridView::deleteRecords()
{
    if (!m_dataSet || !m_dataSet->isActive() || m_dataSet->currentRow() < 0)
        return;
    std::vector<int> rows;
    for (const QModelIndex &i : m_view->selectionModel()->selectedRows()) {
        const int r = m_presentation->sourceRow(i);
        if (r >= 0)
            rows.push_back(r);
    }
    if (rows.empty())
        rows.push_back(m_dataSet->currentRow());
    const QString question =
        rows.size() > 1 ? tr("Delete all selected records?") : tr("Delete record?");
    if (!Desktop::instance().confirm(this, question))
        return;
    closeEditor();
    // From the bottom up, so the rows still to delete keep their numbers.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    guarded([&] {
        if (rows.size() == 1 && rows.front() == m_dataSet->currentRow()) {
            m_dataSet->remove();
            return;
        }
        for (int r : rows) {
            m_dataSet->moveTo(r);
            m_dataSet->remove();
        }
    });
}

void GridView::editRecord()
{
    if (m_dataSet)
        guarded([&] { m_dataSet->edit(); });
}

void GridView::postEdit()
{
    if (!m_dataSet)
        return;
    commitEditor();
    guarded([&] { m_dataSet->post(); });
}

void GridView::cancelEdit()
{
    if (!m_dataSet)
        return;
    closeEditor();
    guarded([&] { m_dataSet->cancel(); });
}

void GridView::refreshData()
{
    if (!m_dataSet)
        return;
    commitEditor();
    guarded([&] { m_dataSet->refresh(); });
}

void GridView::saveBookmark()
{
    if (!m_dataSet || m_dataSet->currentRow() < 0)
        return;
    m_bookmark = m_dataSet->bookmark();
    m_hasBookmark = true;
}

void GridView::gotoBookmark()
{
    if (!m_dataSet || !m_hasBookmark)
        return;
    commitEditor();
    guarded([&] { m_dataSet->gotoBookmark(m_bookmark); });
}
