#pragma once

#include "data/dataset.h"
#include "grid/rowfilter.h"

#include <QHash>
#include <QPointer>
#include <QTreeView>
#include <QWidget>
#include <functional>

class DataSet;
class DataSetModel;
class FilterHeader;
class GridTreeView;
class GroupByBox;
class Navigator;
class PresentationModel;
class QAbstractItemDelegate;
class RowIndicator;
struct GridStyleSheet;

// A column as the grid shows it, for the export.
struct GridColumn
{
    int modelColumn;
    QString header;
    int width; // pixels
};

// The data grid: rows of one data set with a row indicator, column headers
// (with the optional filter row), the optional group-by box above and the
// record navigator (with its optional position panel) below. The grid and
// the data set keep the same current row.
class GridView : public QWidget
{
    Q_OBJECT
public:
    explicit GridView(QWidget *parent = nullptr);
    ~GridView() override;

    void setDataSet(DataSet *dataSet);
    DataSet *dataSet() const { return m_dataSet; }
    DataSetModel *dataSetModel() const { return m_dataModel; }
    PresentationModel *presentationModel() const { return m_presentation; }
    QTreeView *view() const;
    FilterHeader *header() const { return m_header; }
    GroupByBox *groupByBox() const { return m_groupBox; }
    Navigator *navigator() const { return m_navigator; }
    RowIndicator *rowIndicator() const { return m_indicator; }

    // Optional elements; all hidden at first except the navigator.
    void setFilterRowVisible(bool visible);
    bool isFilterRowVisible() const;
    void setGroupByBoxVisible(bool visible);
    bool isGroupByBoxVisible() const;
    void setPositionPanelVisible(bool visible);
    bool isPositionPanelVisible() const;

    // Columns by field name; kept and applied again when the fields change.
    void setColumnWidth(const QString &column, int pixels);
    void setColumnOrder(const QStringList &columns);
    void setVisibleColumns(const QStringList &columns); // a subset, in this order
    // Visible columns in on-screen order, with their widths.
    QList<GridColumn> visibleColumns() const;

    void setStyleSheetData(const GridStyleSheet *sheet);
    const GridStyleSheet *styleSheetData() const { return m_sheet; }

    // Cell editors chosen by the owner for a column.
    void setEllipsisEditor(const QString &column, std::function<void()> handler);
    void setComboEditor(const QString &column, const QStringList &items, int visibleItems = 8);
    void setBytesButtonHandler(const QString &column, std::function<void()> handler);
    QAbstractItemDelegate *delegateFor(const QString &column) const;

    // Filter row and filter builder.
    QString filterRowText(const QString &column) const;
    void setFilterRowText(const QString &column, const QString &text);
    void setFilterConditions(const QList<FilterCondition> &conditions); // throws Error
    QList<FilterCondition> filterConditions() const;
    void showFilterBuilder();

    // Sorting by a column; an empty name restores the data set's order.
    void sortBy(const QString &column, Qt::SortOrder order = Qt::AscendingOrder);

    // Grouping, in level order.
    void groupBy(const QStringList &columns);
    QStringList groupedColumns() const;
    int groupLevels() const;
    void expandAll();

    // The navigator's actions, also for menus and tests.
    void moveFirst();
    void movePriorPage();
    void movePrior();
    void moveNext();
    void moveNextPage();
    void moveLast();
    void insertRecord();
    void deleteRecords(); // asks first
    void editRecord();
    void postEdit();
    void cancelEdit();
    void refreshData();
    void saveBookmark();
    void gotoBookmark();

private:
    void navigatorClicked(int button);
    void moveToOrdinal(int ordinal);
    int currentOrdinal() const;
    int pageRows() const;
    void commitEditor();
    void closeEditor();
    void syncViewToDataSet();
    void viewCurrentChanged(const QModelIndex &current);
    void updateNavigator();
    void updateIndicator();
    void installDelegates();
    void applyColumnLayout();
    void applyGrouping(const QList<int> &columns);
    void spanGroupRows(const QModelIndex &parent);
    void rememberExpanded();
    void restoreExpanded();
    void applyPalette();
    void focusChanged(QWidget *old, QWidget *now);
    int columnIndex(const QString &name) const;

    QPointer<DataSet> m_dataSet;
    DataSetModel *m_dataModel = nullptr;
    PresentationModel *m_presentation;
    GridTreeView *m_view;
    FilterHeader *m_header;
    GroupByBox *m_groupBox;
    Navigator *m_navigator;
    RowIndicator *m_indicator;
    const GridStyleSheet *m_sheet = nullptr;

    QHash<QString, int> m_widths;
    QStringList m_order;
    QStringList m_visible;        // empty: every column
    QHash<QString, std::function<void()>> m_ellipsis;
    QHash<QString, QPair<QStringList, int>> m_combos;
    QHash<QString, std::function<void()>> m_bytesHandlers;
    QList<QAbstractItemDelegate *> m_delegates;

    QStringList m_expanded;       // group paths open before a rebuild
    bool m_syncing = false;
    bool m_focused = false;
    quint64 m_bookmark = 0;
    bool m_hasBookmark = false;
};
