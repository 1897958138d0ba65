#pragma once

#include "data/value.h"

#include <QAbstractTableModel>
#include <QSet>

class DataSet;

// The item-model face of one data set: rows are the data set's rows, columns
// its fields. Nothing is cached per cell; the data set decodes on demand.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        ValueRole = Qt::UserRole + 1, // the cell's Value; setData accepts one too
        KindRole,                     // int(FieldKind) of the column
        HasContentRole,               // bool: not null, and for bytes not empty
    };

    explicit DataSetModel(DataSet *dataSet, QObject *parent = nullptr);

    DataSet *dataSet() const { return m_dataSet; }

    // A column the grid shows but does not let the user edit, although the
    // program itself may write it.
    void setColumnLocked(const QString &name, bool locked = true);

    // The text a grid shows for a value: dates in the short date format,
    // timestamps as short date and long time, numbers plainly; empty for
    // null, booleans (shown as a check) and bytes (shown as an icon).
    static QString displayText(const Value &value, FieldKind kind);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Moves the data set to the row, starts editing and sets the value;
    // refusals and conversion errors go to the error display.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The data set's row of a model row; they differ only while a row
    // insertion or removal is being announced.
    int dataSetRow(int row) const;

signals:
    // An edit the data set refused (a dealer's warranty, a bad value ...).
    void editFailed(const QString &message);

private:
    void reset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);

    DataSet *m_dataSet;
    int m_rows = 0;
    int m_columns = 0;
    QSet<QString> m_lockedColumns; // shown but not editable in this grid
    // Row inserted (+1) or removed (-1) in the data set but not yet in the model.
    int m_pendingRow = -1;
    int m_pendingShift = 0;
};
