#include "grid/presentationmodel.h"

#include "data/dataset.h"
#include "data/datasetmodel.h"
#include "grid/stylesheet.h"
#include "grid/stylesheets.h"

#include <QBrush>
#include <QHash>
#include <map>
#include <algorithm>
#include <numeric>

struct PresentationModel::Node
{
    Node *parent = nullptr;
    int row = 0;       // position under the parent
    QString text;      // group row text
    Value key;         // grouped value
    std::vector<std::unique_ptr<Node>> children; // groups
    std::vector<int> rows;                       // data rows (leaves only)
    int offset = 0;    // ordinal of the first data row

    bool isLeaf() const { return children.empty(); }
    int count() const { return isLeaf() ? int(rows.size()) : int(children.size()); }
};

struct PresentationModel::ColumnCache
{
    std::vector<Value> values;
    std::vector<QString> texts; // display texts; only for non-text kinds
    bool hasValues = false;
    bool hasTexts = false;
    bool textKind = false;

    QStringView text(int row) const
    {
        if (textKind) {
            const Value &v = values[size_t(row)];
            return v.is<QString>() ? QStringView(v.get<QString>()) : QStringView();
        }
        return hasTexts ? QStringView(texts[size_t(row)]) : QStringView();
    }
};

namespace {
bool isTextKind(FieldKind kind)
{
    return kind == FieldKind::Text || kind == FieldKind::Memo;
}
} // namespace

PresentationModel::PresentationModel(QObject *parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<Node>())
{
    m_leaves.push_back(m_root.get());
}

PresentationModel::~PresentationModel() = default;

DataSet *PresentationModel::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

int PresentationModel::sourceRowCount() const
{
    return m_source ? m_source->rowCount() : 0;
}

void PresentationModel::setSourceModel(DataSetModel *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &QAbstractItemModel::modelReset, this, &PresentationModel::sourceReset);
        connect(source, &QAbstractItemModel::rowsInserted, this,
                &PresentationModel::sourceRowsInserted);
        connect(source, &QAbstractItemModel::rowsRemoved, this,
                &PresentationModel::sourceRowsRemoved);
        connect(source, &QAbstractItemModel::dataChanged, this,
                &PresentationModel::sourceDataChanged);
    }
    m_filterRowTexts.clear();
    m_conditions.clear();
    m_groupColumns.clear();
    m_sortColumn = -1;
    sourceReset();
}

// --- filtering, sorting, grouping ------------------------------------------

void PresentationModel::setFilterRowText(int column, const QString &text)
{
    if (column < 0 || column >= columnCount())
        return;
    while (m_filterRowTexts.size() <= column)
        m_filterRowTexts << QString();
    if (m_filterRowTexts[column] == text)
        return;
    m_filterRowTexts[column] = text;
    rebuild();
}

QString PresentationModel::filterRowText(int column) const
{
    return m_filterRowTexts.value(column);
}

bool PresentationModel::hasFilterRowConditions() const
{
    return std::any_of(m_filterRowTexts.begin(), m_filterRowTexts.end(),
                       [](const QString &t) { return !t.isEmpty(); });
}

void PresentationModel::setConditions(const QList<FilterCondition> &conditions)
{
    // Read every operand before anything changes.
    for (const FilterCondition &c : conditions)
        if (c.column >= 0 && c.column < columnCount())
            CellPredicate(c.op, c.operand, dataSet()->field(c.column).kind);
    m_conditions = conditions;
    rebuild();
}

void PresentationModel::sort(int column, Qt::SortOrder order)
{
    if (column >= columnCount())
        column = -1;
    m_sortColumn = column;
    m_sortOrder = order;
    m_orderValid = false;
    rebuild();
}

void PresentationModel::setGroupColumns(const QList<int> &columns)
{
    QList<int> valid;
    for (int c : columns)
        if (c >= 0 && c < columnCount() && !valid.contains(c))
            valid << c;
    m_groupColumns = valid;
    rebuild();
}

void PresentationModel::setStyleSheetData(const GridStyleSheet *sheet)
{
    m_sheet = sheet;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const PresentationModel::ColumnCache &PresentationModel::cache(int column, bool texts) const
{
    if (m_caches.size() < size_t(columnCount()))
        m_caches.resize(size_t(columnCount()));
    auto &slot = m_caches[size_t(column)];
    if (!slot)
        slot = std::make_unique<ColumnCache>();
    ColumnCache &c = *slot;
    const DataSet *ds = dataSet();
    const FieldKind kind = ds->field(column).kind;
    const int n = sourceRowCount();
    c.textKind = isTextKind(kind);
    if (!c.hasValues) {
        c.values.resize(size_t(n));
        for (int r = 0; r < n; ++r)
            c.values[size_t(r)] = ds->value(r, column);
        c.hasValues = true;
    }
    if (texts && !c.textKind && !c.hasTexts) {
        c.texts.resize(size_t(n));
        for (int r = 0; r < n; ++r)
            c.texts[size_t(r)] = DataSetModel::displayText(c.values[size_t(r)], kind);
        c.hasTexts = true;
    }
    return c;
}

Value PresentationModel::cellValue(int sourceRow, int column) const
{
    return cache(column, false).values[size_t(sourceRow)];
}

void PresentationModel::releaseUnusedCaches()
{
    for (size_t c = 0; c < m_caches.size(); ++c) {
        const int col = int(c);
        const bool used = col == m_sortColumn || m_groupColumns.contains(col)
                          || !m_filterRowTexts.value(col).isEmpty()
                          || std::any_of(m_conditions.begin(), m_conditions.end(),
                                         [&](const FilterCondition &f) { return f.column == col; });
        if (!used)
            m_caches[c].reset();
    }
}

void PresentationModel::computeOrder()
{
    m_orderValid = true;
    m_order.clear();
    if (m_sortColumn < 0 || !dataSet())
        return;
    const ColumnCache &c = cache(m_sortColumn, false);
    m_order.resize(size_t(sourceRowCount()));
    std::iota(m_order.begin(), m_order.end(), 0);
    const auto &v = c.values;
    if (m_sortOrder == Qt::AscendingOrder)
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return Value::compare(v[size_t(a)], v[size_t(b)]) < 0;
        });
    else
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return Value::compare(v[size_t(b)], v[size_t(a)]) < 0;
        });
}

void PresentationModel::prepareFilters()
{
    m_rowTests.clear();
    m_conditionGroups.clear();
    const DataSet *ds = dataSet();
    if (!ds)
        return;
    for (int col = 0; col < m_filterRowTexts.size() && col < columnCount(); ++col) {
        CellPredicate p =
            CellPredicate::fromFilterRowText(m_filterRowTexts[col], ds->field(col).kind);
        if (p.isActive())
            m_rowTests.push_back({col, p, &cache(col, p.needsDisplayText())});
    }
    for (const FilterCondition &f : std::as_const(m_conditions)) {
        if (f.column < 0 || f.column >= columnCount())
            continue;
        CellPredicate p(f.op, f.operand, ds->field(f.column).kind);
        if (m_conditionGroups.empty() || f.orWithPrevious)
            m_conditionGroups.emplace_back();
        m_conditionGroups.back().push_back({f.column, p, &cache(f.column, p.needsDisplayText())});
    }
}

bool PresentationModel::passes(int r) const
{
    if (r == m_pinned)
        return true;
    for (const ActiveTest &t : m_rowTests)
        if (!t.predicate.matches(t.cache->values[size_t(r)], t.cache->text(r)))
            return false;
    if (m_conditionGroups.empty())
        return true;
    for (const auto &group : m_conditionGroups) {
        bool all = true;
        for (const ActiveTest &t : group) {
            if (!t.predicate.matches(t.cache->values[size_t(r)], t.cache->text(r))) {
                all = false;
                break;
            }
        }
        if (all)
            return true;
    }
    return false;
}

void PresentationModel::rebuild()
{
    beginResetModel();
    std::vector<int> rows;
    if (dataSet()) {
        if (!m_orderValid)
            computeOrder();
        prepareFilters();
        const int n = sourceRowCount();
        const bool filtering = !m_rowTests.empty() || !m_conditionGroups.empty();
        rows.reserve(filtering ? size_t(n) / 4 : size_t(n));
        if (m_order.empty()) {
            for (int r = 0; r < n; ++r)
                if (!filtering || passes(r))
                    rows.push_back(r);
        } else {
            for (int r : m_order)
                if (!filtering || passes(r))
                    rows.push_back(r);
        }
        m_rowTests.clear();
        m_conditionGroups.clear();
    }
    buildTree(std::move(rows));
    releaseUnusedCaches();
    endResetModel();
}

void PresentationModel::buildTree(std::vector<int> rows)
{
    m_root = std::make_unique<Node>();
    m_groupRanks.clear();
    if (m_groupColumns.isEmpty() || !dataSet()) {
        m_root->rows = std::move(rows);
    } else {
        // Each level's values become small integer ranks first, so that the
        // sort below compares integers, not (case-blind) texts.
        for (int column : std::as_const(m_groupColumns))
            m_groupRanks.push_back(groupRanks(column, rows));
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            for (const auto &rank : m_groupRanks) {
                if (rank[size_t(a)] != rank[size_t(b)])
                    return rank[size_t(a)] < rank[size_t(b)];
            }
            return false;
        });
        buildLevel(m_root.get(), rows.cbegin(), rows.cend(), 0);
    }
    m_groupRanks.clear();
    m_groupRanks.shrink_to_fit();
    indexTree();
}

std::vector<int> PresentationModel::groupRanks(int column, const std::vector<int> &rows) const
{
    const ColumnCache &c = cache(column, false);
    std::vector<int> id(size_t(sourceRowCount()), -1);
    std::vector<const Value *> firsts; // one value per distinct key
    if (c.textKind) {
        QHash<QString, int> ids;
        for (int r : rows) {
            const Value &v = c.values[size_t(r)];
            if (v.isNull()) {
                continue;
            }
            const QString key = v.get<QString>().toCaseFolded();
            auto it = ids.find(key);
            if (it == ids.end()) {
                it = ids.insert(key, int(firsts.size()));
                firsts.push_back(&v);
            }
            id[size_t(r)] = *it;
        }
    } else {
        auto less = [](const Value *a, const Value *b) { return Value::compare(*a, *b) < 0; };
        std::map<const Value *, int, decltype(less)> ids(less);
        for (int r : rows) {
            const Value &v = c.values[size_t(r)];
            if (v.isNull())
                continue;
            auto [it, added] = ids.try_emplace(&v, int(firsts.size()));
            if (added)
                firsts.push_back(&v);
            id[size_t(r)] = it->second;
        }
    }
    std::vector<int> order(firsts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return Value::compare(*firsts[size_t(a)], *firsts[size_t(b)]) < 0;
    });
    std::vector<int> rankOfId(firsts.size());
    for (size_t i = 0; i < order.size(); ++i)
        rankOfId[size_t(order[i])] = int(i) + 1; // 0 is null, first
    std::vector<int> rank(id.size(), 0);
    for (int r : rows)
        rank[size_t(r)] = id[size_t(r)] < 0 ? 0 : rankOfId[size_t(id[size_t(r)])];
    return rank;
}

void PresentationModel::buildLevel(Node *node, std::vector<int>::const_iterator begin,
                                   std::vector<int>::const_iterator end, int level)
{
    if (level == m_groupColumns.size()) {
        node->rows.assign(begin, end);
        return;
    }
    const int column = m_groupColumns[level];
    const ColumnCache &c = cache(column, false);
    const std::vector<int> &rank = m_groupRanks[size_t(level)];
    const FieldKind kind = dataSet()->field(column).kind;
    const QString caption = dataSet()->field(column).name;
    auto it = begin;
    while (it != end) {
        const int key = rank[size_t(*it)];
        auto next = std::find_if(it, end, [&](int r) { return rank[size_t(r)] != key; });
        auto group = std::make_unique<Node>();
        group->parent = node;
        group->row = int(node->children.size());
        group->key = c.values[size_t(*it)];
        QString shown = DataSetModel::displayText(group->key, kind);
        if (kind == FieldKind::Boolean && !group->key.isNull())
            shown = group->key.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        group->text = caption + QStringLiteral(": ") + shown;
        buildLevel(group.get(), it, next, level + 1);
        node->children.push_back(std::move(group));
        it = next;
    }
}

void PresentationModel::indexTree()
{
    const int n = sourceRowCount();
    m_slot.assign(size_t(n), -1);
    m_leaves.clear();
    const bool grouped = !m_root->isLeaf() || !m_groupColumns.isEmpty();
    if (grouped)
        m_leafOf.assign(size_t(n), nullptr);
    else
        m_leafOf.clear();
    int offset = 0;
    std::vector<Node *> stack{m_root.get()};
    while (!stack.empty()) {
        Node *node = stack.back();
        stack.pop_back();
        if (node->isLeaf()) {
            node->offset = offset;
            offset += int(node->rows.size());
            m_leaves.push_back(node);
            for (size_t i = 0; i < node->rows.size(); ++i) {
                const int r = node->rows[i];
                if (r < 0)
                    continue;
                m_slot[size_t(r)] = int(i);
                if (grouped)
                    m_leafOf[size_t(r)] = node;
            }
        } else {
            for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
                stack.push_back(it->get());
        }
    }
}

// --- positions ---------------------------------------------------------------

int PresentationModel::presentedRowCount() const
{
    if (m_leaves.empty())
        return 0;
    const Node *last = m_leaves.back();
    return last->offset + int(last->rows.size());
}

PresentationModel::Node *PresentationModel::leafOf(int sourceRow) const
{
    if (sourceRow < 0 || size_t(sourceRow) >= m_slot.size() || m_slot[size_t(sourceRow)] < 0)
        return nullptr;
    return m_leafOf.empty() ? m_root.get() : m_leafOf[size_t(sourceRow)];
}

int PresentationModel::ordinalOf(int sourceRow) const
{
    const Node *leaf = leafOf(sourceRow);
    return leaf ? leaf->offset + m_slot[size_t(sourceRow)] : -1;
}

int PresentationModel::sourceRowAt(int ordinal) const
{
    if (ordinal < 0 || ordinal >= presentedRowCount())
        return -1;
    auto it = std::upper_bound(m_leaves.begin(), m_leaves.end(), ordinal,
                               [](int o, const Node *n) { return o < n->offset; });
    // Empty leaves share offsets with the next one; step back to one holding the row.
    --it;
    while ((*it)->rows.empty() || ordinal - (*it)->offset >= int((*it)->rows.size()))
        --it;
    return (*it)->rows[size_t(ordinal - (*it)->offset)];
}

QModelIndex PresentationModel::indexOfSourceRow(int sourceRow, int column) const
{
    Node *leaf = leafOf(sourceRow);
    if (!leaf)
        return {};
    return createIndex(m_slot[size_t(sourceRow)], column, leaf);
}

int PresentationModel::sourceRow(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    const Node *n = static_cast<Node *>(index.internalPointer());
    if (!n->isLeaf() || index.row() >= int(n->rows.size()))
        return -1;
    return n->rows[size_t(index.row())];
}

bool PresentationModel::isGroupRow(const QModelIndex &index) const
{
    return index.isValid() && !static_cast<Node *>(index.internalPointer())->isLeaf();
}

// --- item model ------------------------------------------------------------------

PresentationModel::Node *PresentationModel::nodeOf(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_root.get();
    if (parent.column() != 0)
        return nullptr;
    Node *p = static_cast<Node *>(parent.internalPointer());
    if (p->isLeaf() || parent.row() >= int(p->children.size()))
        return nullptr;
    return p->children[size_t(parent.row())].get();
}

QModelIndex PresentationModel::indexOfNode(Node *node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row, 0, node->parent);
}

QModelIndex PresentationModel::index(int row, int column, const QModelIndex &parent) const
{
    Node *n = nodeOf(parent);
    if (!n || row < 0 || column < 0 || column >= columnCount() || row >= n->count())
        return {};
    return createIndex(row, column, n);
}

QModelIndex PresentationModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return indexOfNode(static_cast<Node *>(child.internalPointer()));
}

int PresentationModel::rowCount(const QModelIndex &parent) const
{
    const Node *n = nodeOf(parent);
    return n ? n->count() : 0;
}

int PresentationModel::columnCount(const QModelIndex &) const
{
    return m_source ? m_source->columnCount() : 0;
}

bool PresentationModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant PresentationModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_source)
        return {};
    const Node *n = static_cast<Node *>(index.internalPointer());
    const GridStyle *style = nullptr;
    if (!n->isLeaf()) {
        if (index.row() >= int(n->children.size()))
            return {};
        if (m_sheet)
            style = &m_sheet->group;
        if (role == Qt::DisplayRole && index.column() == 0)
            return n->children[size_t(index.row())]->text;
    } else {
        if (index.row() >= int(n->rows.size()))
            return {};
        const int r = n->rows[size_t(index.row())];
        if (m_sheet) {
            const GridStyle &alt = ((n->offset + index.row()) % 2 == 0) ? m_sheet->contentEven
                                                                        : m_sheet->contentOdd;
            style = &alt;
            // Attributes the alternating style leaves unset come from the content style.
            if (role == Qt::BackgroundRole && !alt.background)
                style = &m_sheet->content;
            if (role == Qt::ForegroundRole && !alt.textColor)
                style = &m_sheet->content;
            if (role == Qt::FontRole && !alt.font)
                style = &m_sheet->content;
        }
        if (role != Qt::BackgroundRole && role != Qt::ForegroundRole && role != Qt::FontRole)
            return r < 0 ? QVariant() : m_source->data(m_source->index(r, index.column()), role);
    }
    if (style) {
        if (role == Qt::BackgroundRole && style->background)
            return QBrush(*style->background);
        if (role == Qt::ForegroundRole && style->textColor)
            return QBrush(*style->textColor);
        if (role == Qt::FontRole && style->font)
            return displayFont(*style->font);
    }
    return {};
}

bool PresentationModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int r = sourceRow(index);
    if (r < 0 || !m_source)
        return false;
    return m_source->setData(m_source->index(r, index.column()), value, role);
}

QVariant PresentationModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (m_source && orientation == Qt::Horizontal)
        return m_source->headerData(section, orientation, role);
    return {};
}

Qt::ItemFlags PresentationModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const int r = sourceRow(index);
    if (r < 0 || !m_source)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return m_source->flags(m_source->index(r, index.column()));
}

size_t PresentationModel::memoryUsage() const
{
    size_t bytes = m_slot.capacity() * sizeof(int) + m_leafOf.capacity() * sizeof(Node *)
                   + m_order.capacity() * sizeof(int);
    std::vector<const Node *> stack{m_root.get()};
    while (!stack.empty()) {
        const Node *n = stack.back();
        stack.pop_back();
        bytes += sizeof(Node) + n->rows.capacity() * sizeof(int) + size_t(n->text.capacity()) * 2;
        for (const auto &c : n->children)
            stack.push_back(c.get());
    }
    for (const auto &c : m_caches) {
        if (!c)
            continue;
        bytes += c->values.capacity() * sizeof(Value);
        for (const Value &v : c->values)
            if (v.is<QString>())
                bytes += size_t(v.get<QString>().capacity()) * 2 + 16;
        for (const QString &t : c->texts)
            bytes += sizeof(QString) + size_t(t.capacity()) * 2 + 16;
    }
    return bytes;
}

// --- following the source ---------------------------------------------------------

void PresentationModel::sourceReset()
{
    m_caches.clear();
    m_pinned = -1;
    m_orderValid = false;
    if (m_filterRowTexts.size() > columnCount())
        m_filterRowTexts = m_filterRowTexts.mid(0, columnCount());
    rebuild();
}

void PresentationModel::sourceRowsInserted(const QModelIndex &, int first, int last)
{
    const int count = last - first + 1;
    auto shift = [&](int &r) {
        if (r >= first)
            r += count;
    };
    for (auto &c : m_caches) {
        if (!c)
            continue;
        for (int r = first; r <= last; ++r) {
            const Value v = dataSet()->value(r, int(&c - &m_caches[0]));
            c->values.insert(c->values.begin() + r, v);
            if (c->hasTexts)
                c->texts.insert(c->texts.begin() + r,
                                DataSetModel::displayText(v, dataSet()->field(int(&c - &m_caches[0])).kind));
        }
    }
    for (Node *leaf : m_leaves)
        for (int &r : leaf->rows)
            shift(r);
    if (!m_order.empty()) {
        for (int &r : m_order)
            shift(r);
        // Next to the row that followed it in the data set.
        auto at = std::find(m_order.begin(), m_order.end(), last + 1);
        std::vector<int> added(static_cast<size_t>(count));
        std::iota(added.begin(), added.end(), first);
        m_order.insert(at, added.begin(), added.end());
    }
    if (m_pinned >= first)
        m_pinned += count;
    m_slot.insert(m_slot.begin() + first, size_t(count), -1);
    if (!m_leafOf.empty())
        m_leafOf.insert(m_leafOf.begin() + first, size_t(count), nullptr);

    // A new row shows next to its neighbour in the data set, whatever the filter.
    if (dataSet()->state() == DataSet::State::Insert)
        m_pinned = first;
    Node *leaf = nullptr;
    int slot = -1;
    if (Node *after = leafOf(last + 1)) {
        leaf = after;
        slot = m_slot[size_t(last + 1)];
    } else if (Node *before = leafOf(first - 1)) {
        leaf = before;
        slot = m_slot[size_t(first - 1)] + 1;
    } else if (m_root->isLeaf() && m_groupColumns.isEmpty()) {
        leaf = m_root.get();
        slot = int(m_root->rows.size());
    }
    if (!leaf) {
        rebuild();
        return;
    }
    beginInsertRows(indexOfNode(leaf), slot, slot + count - 1);
    for (int i = 0; i < count; ++i)
        leaf->rows.insert(leaf->rows.begin() + slot + i, first + i);
    indexTree();
    endInsertRows();
}

void PresentationModel::removePresented(int sourceRow)
{
    Node *leaf = leafOf(sourceRow);
    if (!leaf)
        return;
    const int slot = m_slot[size_t(sourceRow)];
    if (leaf != m_root.get() && leaf->rows.size() == 1) {
        // The group would be left empty.
        leaf->rows[size_t(slot)] = -1;
        rebuild();
        return;
    }
    beginRemoveRows(indexOfNode(leaf), slot, slot);
    leaf->rows.erase(leaf->rows.begin() + slot);
    indexTree();
    endRemoveRows();
}

bool PresentationModel::inItsGroup(int sourceRow) const
{
    const Node *node = leafOf(sourceRow);
    if (!node || m_groupColumns.isEmpty())
        return true;
    for (int level = int(m_groupColumns.size()) - 1; node && node != m_root.get(); --level) {
        const Value &v = cache(m_groupColumns[level], false).values[size_t(sourceRow)];
        if (Value::compare(v, node->key) != 0)
            return false;
        node = node->parent;
    }
    return true;
}

void PresentationModel::sourceRowsRemoved(const QModelIndex &, int first, int last)
{
    const int count = last - first + 1;
    // Renumber first, marking the removed rows, so that nothing presented
    // points at a wrong row while the removal is announced.
    std::vector<std::pair<Node *, int>> gone;
    for (int r = first; r <= last; ++r)
        if (Node *leaf = leafOf(r))
            gone.emplace_back(leaf, m_slot[size_t(r)]);
    auto renumber = [&](int &r) {
        if (r > last)
            r -= count;
        else if (r >= first)
            r = -1;
    };
    for (Node *leaf : m_leaves)
        for (int &r : leaf->rows)
            renumber(r);
    if (!m_order.empty()) {
        for (int &r : m_order)
            renumber(r);
        m_order.erase(std::remove(m_order.begin(), m_order.end(), -1), m_order.end());
    }
    for (auto &c : m_caches) {
        if (!c)
            continue;
        c->values.erase(c->values.begin() + first, c->values.begin() + last + 1);
        if (c->hasTexts)
            c->texts.erase(c->texts.begin() + first, c->texts.begin() + last + 1);
    }
    if (m_pinned > last)
        m_pinned -= count;
    else if (m_pinned >= first)
        m_pinned = -1;
    m_slot.erase(m_slot.begin() + first, m_slot.begin() + last + 1);
    if (!m_leafOf.empty())
        m_leafOf.erase(m_leafOf.begin() + first, m_leafOf.begin() + last + 1);

    bool needRebuild = false;
    for (auto [leaf, slot] : gone) {
        if (leaf != m_root.get()
            && std::all_of(leaf->rows.begin(), leaf->rows.end(), [](int r) { return r < 0; })) {
            needRebuild = true;
            continue;
        }
        auto it = std::find(leaf->rows.begin(), leaf->rows.end(), -1);
        const int s = int(it - leaf->rows.begin());
        beginRemoveRows(indexOfNode(leaf), s, s);
        leaf->rows.erase(it);
        endRemoveRows();
    }
    if (needRebuild) {
        rebuild();
        return;
    }
    indexTree();
}

void PresentationModel::sourceDataChanged(const QModelIndex &topLeft,
                                          const QModelIndex &bottomRight)
{
    DataSet *ds = dataSet();
    if (!ds)
        return;
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r) {
        for (size_t c = 0; c < m_caches.size(); ++c) {
            auto &cache = m_caches[c];
            if (!cache || size_t(r) >= cache->values.size())
                continue;
            const Value v = ds->value(r, int(c));
            if (cache->values[size_t(r)] == v)
                continue;
            if (int(c) == m_sortColumn)
                m_orderValid = false;
            cache->values[size_t(r)] = v;
            if (cache->hasTexts)
                cache->texts[size_t(r)] = DataSetModel::displayText(v, ds->field(int(c)).kind);
        }
        const bool editingThis = ds->isEditing() && ds->currentRow() == r;
        if (!editingThis) {
            // Posted or cancelled: the row meets the filter and groups again.
            if (m_pinned == r)
                m_pinned = -1;
            if (!inItsGroup(r)) {
                rebuild();
                return;
            }
            if (leafOf(r)) {
                prepareFilters();
                const bool ok = passes(r);
                m_rowTests.clear();
                m_conditionGroups.clear();
                if (!ok) {
                    removePresented(r);
                    continue;
                }
            }
        }
        const QModelIndex first = indexOfSourceRow(r, 0);
        if (first.isValid())
            emit dataChanged(first, indexOfSourceRow(r, columnCount() - 1));
    }
}
