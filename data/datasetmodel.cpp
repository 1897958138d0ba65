#include "data/datasetmodel.h"

#include "data/dataset.h"
#include "data/error.h"

#include <QLocale>

DataSetModel::DataSetModel(DataSet *dataSet, QObject *parent)
    : QAbstractTableModel(parent), m_dataSet(dataSet)
{
    connect(dataSet, &DataSet::rowsReset, this, &DataSetModel::reset);
    connect(dataSet, &DataSet::rowInserted, this, &DataSetModel::rowInserted);
    connect(dataSet, &DataSet::rowRemoved, this, &DataSetModel::rowRemoved);
    connect(dataSet, &DataSet::rowChanged, this, &DataSetModel::rowChanged);
    m_rows = dataSet->isActive() ? dataSet->rowCount() : 0;
    m_columns = dataSet->fieldCount();
}

QString DataSetModel::displayText(const Value &value, FieldKind kind)
{
    if (value.isNull())
        return {};
    switch (kind) {
    case FieldKind::Boolean:
    case FieldKind::Bytes:
        return {};
    case FieldKind::Date:
        if (value.is<QDate>())
            return QLocale().toString(value.get<QDate>(), QLocale::ShortFormat);
        break;
    case FieldKind::Timestamp:
        if (value.is<Timestamp>()) {
            // "Long time" without a zone: a timestamp column has none.
            static const QString timeFormat =
                QLocale().timeFormat(QLocale::LongFormat).remove(u't').trimmed();
            const Timestamp &t = value.get<Timestamp>();
            return QLocale().toString(t.date(), QLocale::ShortFormat) + u' '
                   + QLocale().toString(t.time(), timeFormat);
        }
        break;
    case FieldKind::Memo:
        if (value.is<QString>() && value.get<QString>().contains(u'\n')) {
            // One line per row: the breaks show as spaces, the editor keeps them.
            QString text = value.get<QString>();
            text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\n', u' ');
            return text;
        }
        break;
    default:
        break;
    }
    return value.toString();
}

int DataSetModel::dataSetRow(int row) const
{
    if (m_pendingRow < 0 || row < m_pendingRow)
        return row;
    if (m_pendingShift > 0)
        return row + 1;
    return row == m_pendingRow ? -1 : row - 1;
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_dataSet->fieldCount())
        return {};
    const FieldKind kind = m_dataSet->field(index.column()).kind;
    if (role == KindRole)
        return int(kind);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != ValueRole
        && !(role == Qt::CheckStateRole && kind == FieldKind::Boolean)
        && role != Qt::TextAlignmentRole && role != HasContentRole)
        return {};
    if (role == HasContentRole || (kind == FieldKind::Bytes && role == Qt::DisplayRole)) {
        // Answered without decoding: a document may be many megabytes.
        const int row = dataSetRow(index.row());
        if (role == Qt::DisplayRole)
            return QString();
        if (kind == FieldKind::Bytes)
            return !m_dataSet->bytesView(row, index.column()).isEmpty();
        return !m_dataSet->isNull(row, index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        switch (kind) {
        case FieldKind::Integer:
        case FieldKind::BigInt:
        case FieldKind::Float:
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
        }
    }
    const int row = dataSetRow(index.row());
    if (row < 0 || row >= m_dataSet->rowCount())
        return {};
    const Value v = m_dataSet->value(row, index.column());
    switch (role) {
    case Qt::DisplayRole:
        return displayText(v, kind);
    case Qt::EditRole:
        return v.toVariant();
    case ValueRole:
        return QVariant::fromValue(v);
    case Qt::CheckStateRole:
        // Null shows greyed.
        return v.isNull() ? Qt::PartiallyChecked : (v.toBool() ? Qt::Checked : Qt::Unchecked);
    }
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_dataSet->fieldCount()) {
        if (role == Qt::DisplayRole)
            return m_dataSet->field(section).name;
        if (role == KindRole)
            return int(m_dataSet->field(section).kind);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void DataSetModel::setColumnLocked(const QString &name, bool locked)
{
    if (locked)
        m_lockedColumns.insert(name);
    else
        m_lockedColumns.remove(name);
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() < m_dataSet->fieldCount() && m_dataSet->canModify()
        && !m_dataSet->field(index.column()).readOnly
        && !m_lockedColumns.contains(m_dataSet->field(index.column()).name))
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() >= m_dataSet->fieldCount())
        return false;
    if (role != Qt::EditRole && role != ValueRole && role != Qt::CheckStateRole)
        return false;
    // Qt calls in here from a view; a refusal must not travel further as an
    // exception, so it leaves as a signal the grid shows.
    try {
        const int column = index.column();
        const FieldKind kind = m_dataSet->field(column).kind;
        Value v;
        if (role == ValueRole)
            v = value.value<Value>();
        else if (role == Qt::CheckStateRole)
            v = Value(value.toInt() == Qt::Checked);
        else
            v = Value::fromVariant(value, kind);
        if (m_dataSet->currentRow() != index.row())
            m_dataSet->moveTo(index.row());
        if (!m_dataSet->isEditing())
            m_dataSet->edit();
        m_dataSet->setValue(column, v);
        return true;
    } catch (const Error &e) {
        emit editFailed(e.message());
    } catch (const std::exception &e) {
        emit editFailed(QString::fromUtf8(e.what()));
    }
    return false;
}

void DataSetModel::reset()
{
    beginResetModel();
    m_rows = m_dataSet->isActive() ? m_dataSet->rowCount() : 0;
    m_columns = m_dataSet->fieldCount();
    endResetModel();
}

void DataSetModel::rowInserted(int row)
{
    m_pendingRow = row;
    m_pendingShift = 1;
    beginInsertRows({}, row, row);
    m_pendingRow = -1;
    ++m_rows;
    endInsertRows();
}

void DataSetModel::rowRemoved(int row)
{
    m_pendingRow = row;
    m_pendingShift = -1;
    beginRemoveRows({}, row, row);
    m_pendingRow = -1;
    --m_rows;
    endRemoveRows();
}

void DataSetModel::rowChanged(int row)
{
    if (row >= 0 && row < m_rows)
        emit dataChanged(index(row, 0), index(row, m_columns - 1));
}
