#pragma once

#include "data/datasetmodel.h"
#include "data/value.h"
#include "grid/rowfilter.h"

#include <QAbstractItemModel>
#include <QPointer>
#include <memory>
#include <vector>

class DataSet;
class DataSetModel;
struct GridStyleSheet;

// What a grid presents of a data set model: rows that pass the filter row
// and the filter builder, in the sort order, grouped in levels when asked.
// A group row is a row whose column-0 item has children; its text is the
// column-0 display text. Data rows answer every role of the source model,
// plus the grid's colours, fonts and alternating rows.
//
// Built for 100,000-row data sets: plain index vectors, and the values of
// the columns being filtered, sorted or grouped read once into a column cache
// kept in step with the data set (and released when no longer used).
class PresentationModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit PresentationModel(QObject *parent = nullptr);
    ~PresentationModel() override;

    void setSourceModel(DataSetModel *source);
    DataSetModel *sourceModel() const { return m_source; }

    // Filter row: one text per column; empty drops the condition.
    void setFilterRowText(int column, const QString &text);
    QString filterRowText(int column) const;
    bool hasFilterRowConditions() const;
    // Filter builder; throws Error when an operand cannot be read.
    void setConditions(const QList<FilterCondition> &conditions);
    QList<FilterCondition> conditions() const { return m_conditions; }

    // -1 restores the data set's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    void setGroupColumns(const QList<int> &columns);
    QList<int> groupColumns() const { return m_groupColumns; }

    void setStyleSheetData(const GridStyleSheet *sheet);

    // Data rows in presented order (group rows not counted).
    int presentedRowCount() const;
    int ordinalOf(int sourceRow) const; // -1 when not presented
    int sourceRowAt(int ordinal) const;
    QModelIndex indexOfSourceRow(int sourceRow, int column = 0) const;
    int sourceRow(const QModelIndex &index) const; // -1 for group rows
    bool isGroupRow(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Bytes held besides the data set, for the memory benchmark.
    size_t memoryUsage() const;

private:
    struct Node;
    struct ColumnCache;

    DataSet *dataSet() const;
    int sourceRowCount() const;
    void rebuild();
    void computeOrder();
    bool passes(int sourceRow) const;
    void prepareFilters();
    void buildTree(std::vector<int> rows);
    void buildLevel(Node *node, std::vector<int>::const_iterator begin,
                    std::vector<int>::const_iterator end, int level);
    std::vector<int> groupRanks(int column, const std::vector<int> &rows) const;
    void indexTree();
    const ColumnCache &cache(int column, bool texts) const;
    Value cellValue(int sourceRow, int column) const;
    void releaseUnusedCaches();
    Node *nodeOf(const QModelIndex &parent) const;
    QModelIndex indexOfNode(Node *node) const;
    Node *leafOf(int sourceRow) const;
    void removePresented(int sourceRow);
    bool inItsGroup(int sourceRow) const;

    void sourceReset();
    void sourceRowsInserted(const QModelIndex &parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex &parent, int first, int last);
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);

    QPointer<DataSetModel> m_source;
    const GridStyleSheet *m_sheet = nullptr;

    std::unique_ptr<Node> m_root;
    std::vector<Node *> m_leaves;   // nodes holding data rows, in order
    std::vector<int> m_slot;        // source row -> position in its leaf, -1 when hidden
    std::vector<Node *> m_leafOf;   // source row -> leaf; empty when not grouped

    std::vector<int> m_order;       // every source row in sort order; empty: natural
    bool m_orderValid = true;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    QStringList m_filterRowTexts;
    QList<FilterCondition> m_conditions;
    QList<int> m_groupColumns;
    int m_pinned = -1;              // new row shown whatever the filter says, until posted

    // Filters prepared for one pass.
    struct ActiveTest
    {
        int column;
        CellPredicate predicate;
        const ColumnCache *cache;
    };
    std::vector<ActiveTest> m_rowTests;
    std::vector<std::vector<ActiveTest>> m_conditionGroups; // OR of ANDs

    mutable std::vector<std::unique_ptr<ColumnCache>> m_caches;
    std::vector<std::vector<int>> m_groupRanks; // per level, per source row; while building
};
