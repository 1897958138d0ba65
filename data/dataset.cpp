#include "data/dataset.h"

#include "data/connection.h"
#include "data/error.h"
#include "data/result.h"
#include "data/sqltext.h"

struct DataSet::TableTarget
{
    QString table;
    std::vector<bool> writable; // per field: a column of the table the client may write
    std::vector<int> key;       // fields identifying the row
};

namespace {
Error closedError()
{
    return Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
}
} // namespace

DataSet::DataSet(Connection *connection, const QString &sql, QObject *parent)
    : QObject(parent), m_connection(connection), m_sql(sql)
{
    const ParsedSql parsed = parseParams(sql);
    m_execSql = parsed.text;
    m_paramOrder = parsed.order;
    if (m_connection)
        connect(m_connection, &Connection::closing, this, &DataSet::close);
}

DataSet::~DataSet() = default;

void DataSet::setFields(const QList<FieldDef> &fields)
{
    m_fields = fields;
    m_declared = !fields.isEmpty();
    m_target.reset();
}

int DataSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool DataSet::canModify() const
{
    return !m_readOnly;
}

QStringList DataSet::paramNames() const
{
    return m_paramOrder;
}

void DataSet::setParam(const QString &name, const Value &value)
{
    m_params.insert(name.toLower(), value);
}

Value DataSet::param(const QString &name) const
{
    return m_params.value(name.toLower());
}

void DataSet::setMaster(DataSet *master)
{
    if (m_master)
        m_master->m_details.removeAll(this);
    m_master = master;
    if (master)
        master->m_details.append(this);
}

void DataSet::requireActive() const
{
    if (!isActive())
        throw closedError();
}

void DataSet::requireEditing() const
{
    if (!isEditing())
        throw Error(QStringLiteral("%1: Dataset not in edit or insert mode").arg(objectName()));
}

void DataSet::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
    for (const auto &d : std::as_const(m_details))
        if (d)
            d->syncWithMaster(false);
}

void DataSet::open()
{
    if (isActive())
        return;
    if (m_master && m_master->isActive())
        for (const QString &p : std::as_const(m_paramOrder))
            if (m_master->fieldIndex(p) >= 0)
                setParam(p, m_master->m_current >= 0 ? m_master->value(p) : Value());
    loadRows();
    m_state = State::Browse;
    m_current = -1;
    emit rowsReset();
    emit stateChanged(m_state);
    setCurrent(m_rows.empty() ? -1 : 0, true);
}

void DataSet::loadRows()
{
    std::vector<Row> rows;
    std::shared_ptr<Result> result;
    if (m_connection) {
        Params params;
        for (const QString &p : std::as_const(m_paramOrder))
            params.push_back(param(p));
        result = m_connection->query(m_execSql, params);
        std::vector<int> columns;
        if (m_declared) {
            for (const FieldDef &f : std::as_const(m_fields)) {
                const int c = result->columnIndex(f.name);
                if (c < 0)
                    throw Error(QStringLiteral("%1: Field '%2' not found").arg(objectName(), f.name));
                columns.push_back(c);
            }
        } else {
            m_fields.clear();
            for (int c = 0; c < result->columnCount(); ++c) {
                FieldDef f;
                f.name = result->columnName(c);
                f.kind = result->suggestedKind(c);
                f.size = result->suggestedSize(c);
                m_fields << f;
                columns.push_back(c);
            }
        }
        rows.resize(size_t(result->rowCount()));
        for (int r = 0; r < result->rowCount(); ++r) {
            rows[size_t(r)].source = r;
            rows[size_t(r)].id = m_nextRowId++;
        }
        m_resultColumn = std::move(columns);
    }
    m_result = std::move(result);
    m_rows = std::move(rows);
    m_buffer.clear();
    m_assigned.clear();
    m_modified = false;
}

void DataSet::close()
{
    if (!isActive())
        return;
    m_rows.clear();
    m_result.reset();
    m_buffer.clear();
    m_assigned.clear();
    m_modified = false;
    m_current = -1;
    m_state = State::Inactive;
    m_target.reset();
    emit rowsReset();
    emit stateChanged(m_state);
    emit currentRowChanged(-1);
}

QList<Value> DataSet::keyValues(int row)
{
    QList<Value> key;
    if (row < 0)
        return key;
    std::vector<int> columns;
    try {
        if (m_connection)
            columns = target().key;
    } catch (const Error &) {
        columns.clear(); // not a writable query: any equal row will do
    }
    if (columns.empty())
        for (int c = 0; c < fieldCount(); ++c)
            if (m_fields[c].kind != FieldKind::Bytes)
                columns.push_back(c);
    for (int c : columns)
        key << storedValue(row, c);
    return key;
}

void DataSet::refresh()
{
    requireActive();
    checkBrowseMode();
    if (!m_connection)
        return;
    const QList<Value> before = keyValues(m_current);
    // The old rows go first: a document list may hold large contents, and
    // keeping them through the fetch would double the peak.
    // Nothing runs between here and the reset below, so no one sees the gap.
    m_rows.clear();
    m_result.reset();
    m_current = -1;
    try {
        loadRows();
    } catch (...) {
        close(); // no stale rows shown as if current
        throw;
    }
    int found = m_rows.empty() ? -1 : 0;
    if (!before.isEmpty()) {
        for (int r = 0; r < rowCount(); ++r) {
            if (keyValues(r) == before) {
                found = r;
                break;
            }
        }
    }
    m_current = -1;
    emit rowsReset();
    setCurrent(found, true);
}

Value DataSet::storedValue(int row, int column) const
{
    const Row &r = m_rows[size_t(row)];
    if (r.values)
        return (*r.values)[size_t(column)];
    if (r.source >= 0 && m_result)
        return m_result->value(r.source, m_resultColumn[size_t(column)], m_fields[column].kind);
    return {};
}

Value DataSet::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= fieldCount())
        return {};
    if (isEditing() && row == m_current)
        return m_buffer[size_t(column)];
    return storedValue(row, column);
}

bool DataSet::isNull(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= fieldCount())
        return true;
    if (isEditing() && row == m_current)
        return m_buffer[size_t(column)].isNull();
    const Row &r = m_rows[size_t(row)];
    if (r.values)
        return (*r.values)[size_t(column)].isNull();
    return r.source < 0 || !m_result || m_result->isNull(r.source, m_resultColumn[size_t(column)]);
}

QByteArrayView DataSet::bytesView(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= fieldCount())
        return {};
    const Value *held = nullptr;
    if (isEditing() && row == m_current)
        held = &m_buffer[size_t(column)];
    else if (m_rows[size_t(row)].values)
        held = &(*m_rows[size_t(row)].values)[size_t(column)];
    if (held)
        return held->is<QByteArray>() ? QByteArrayView(held->get<QByteArray>()) : QByteArrayView();
    const Row &r = m_rows[size_t(row)];
    if (r.source < 0 || !m_result)
        return {};
    return m_result->rawBytes(r.source, m_resultColumn[size_t(column)]);
}

Value DataSet::value(const QString &name) const
{
    const int c = fieldIndex(name);
    if (c < 0)
        throw Error(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return value(m_current, c);
}

void DataSet::setValue(const QString &name, const Value &v)
{
    const int c = fieldIndex(name);
    if (c < 0)
        throw Error(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    setValue(c, v);
}

void DataSet::setValue(int column, const Value &v)
{
    requireEditing();
    const FieldDef &f = m_fields[column];
    if (f.readOnly)
        throw Error(QStringLiteral("Field '%1' cannot be modified").arg(f.name));
    Value stored = v;
    if (f.kind == FieldKind::Text && f.size > 0 && v.is<QString>() && v.get<QString>().size() > f.size)
        stored = Value(v.get<QString>().left(f.size)); // the column's declared size
    m_assigned[size_t(column)] = true;
    if (m_buffer[size_t(column)] == stored)
        return;
    m_buffer[size_t(column)] = stored;
    m_modified = true;
    emit rowChanged(m_current);
    for (const auto &d : std::as_const(m_details))
        if (d && d->m_paramOrder.contains(f.name, Qt::CaseInsensitive))
            d->syncWithMaster(false);
}

void DataSet::setCurrent(int row, bool force)
{
    if (row == m_current && !force)
        return;
    m_current = row;
    emit currentRowChanged(row);
    for (const auto &d : std::as_const(m_details))
        if (d)
            d->syncWithMaster(false);
}

void DataSet::beforeLeavingRow()
{
    for (const auto &d : std::as_const(m_details))
        if (d)
            d->checkBrowseMode();
    checkBrowseMode();
}

void DataSet::moveTo(int row)
{
    requireActive();
    if (m_rows.empty())
        return;
    row = qBound(0, row, rowCount() - 1);
    if (row == m_current)
        return;
    beforeLeavingRow();
    setCurrent(qBound(0, row, rowCount() - 1));
}

void DataSet::first() { moveTo(0); }
void DataSet::prior() { moveTo(m_current - 1); }
void DataSet::next() { moveTo(m_current + 1); }
void DataSet::last() { moveTo(rowCount() - 1); }

void DataSet::checkBrowseMode()
{
    if (!isEditing())
        return;
    if (isModified())
        post();
    else
        cancel();
}

void DataSet::edit()
{
    requireActive();
    if (isEditing())
        return;
    if (m_readOnly)
        throw Error(QStringLiteral("Cannot modify a read-only dataset"));
    if (m_rows.empty()) {
        insert();
        return;
    }
    for (const auto &d : std::as_const(m_details))
        if (d)
            d->checkBrowseMode();
    if (beforeEdit)
        beforeEdit();
    m_buffer.assign(size_t(fieldCount()), Value());
    for (int c = 0; c < fieldCount(); ++c)
        m_buffer[size_t(c)] = storedValue(m_current, c);
    m_assigned.assign(size_t(fieldCount()), false);
    m_modified = false;
    setState(State::Edit);
}

void DataSet::insert()
{
    requireActive();
    if (m_readOnly)
        throw Error(QStringLiteral("Cannot modify a read-only dataset"));
    beforeLeavingRow();
    if (beforeInsert)
        beforeInsert();
    startNewRow(qMax(m_current, 0));
}

void DataSet::append()
{
    requireActive();
    if (m_readOnly)
        throw Error(QStringLiteral("Cannot modify a read-only dataset"));
    beforeLeavingRow();
    if (beforeInsert)
        beforeInsert();
    startNewRow(rowCount());
}

void DataSet::startNewRow(int position)
{
    m_rowBeforeInsert = rowId(m_current);
    Row row;
    row.id = m_nextRowId++;
    m_buffer.assign(size_t(fieldCount()), Value());
    m_assigned.assign(size_t(fieldCount()), false);
    m_modified = false;
    // A new detail row belongs to the master's current row.
    if (m_master && m_master->isActive() && m_master->m_current >= 0) {
        for (const QString &p : std::as_const(m_paramOrder)) {
            const int own = fieldIndex(p);
            if (own >= 0 && m_master->fieldIndex(p) >= 0) {
                m_buffer[size_t(own)] = m_master->value(p);
                m_assigned[size_t(own)] = true;
            }
        }
    }
    m_rows.insert(m_rows.begin() + position, std::move(row));
    m_current = position;
    m_state = State::Insert;
    emit rowInserted(position);
    emit stateChanged(m_state);
    setCurrent(position, true);
}

const DataSet::TableTarget &DataSet::target()
{
    if (m_target)
        return *m_target;
    auto t = std::make_unique<TableTarget>();
    t->table = firstFromTable(m_sql);
    if (t->table.isEmpty())
        throw Error(QStringLiteral("Key fields not found"));
    const TableInfo info = m_connection->tableInfo(t->table);
    t->writable.assign(size_t(fieldCount()), false);
    for (int c = 0; c < fieldCount(); ++c)
        t->writable[size_t(c)] = !m_fields[c].readOnly && info.columns.contains(m_fields[c].name);
    for (const QString &k : info.key) {
        int c = -1;
        for (int i = 0; i < fieldCount(); ++i)
            if (m_fields[i].name == k)
                c = i;
        if (c < 0)
            throw Error(QStringLiteral("Key fields not found"));
        t->key.push_back(c);
    }
    if (t->key.empty())
        throw Error(QStringLiteral("Key fields not found"));
    m_target = std::move(t);
    return *m_target;
}

void DataSet::writeBack()
{
    const TableTarget &t = target();
    Statement st;
    if (m_state == State::Insert) {
        ColumnValues values;
        for (int c = 0; c < fieldCount(); ++c)
            if (t.writable[size_t(c)] && (!m_buffer[size_t(c)].isNull() || m_assigned[size_t(c)]))
                values << qMakePair(m_fields[c].name, m_buffer[size_t(c)]);
        st = buildInsert(t.table, values);
    } else {
        ColumnValues changed;
        for (int c = 0; c < fieldCount(); ++c)
            if (t.writable[size_t(c)] && m_buffer[size_t(c)] != storedValue(m_current, c))
                changed << qMakePair(m_fields[c].name, m_buffer[size_t(c)]);
        if (changed.isEmpty())
            return; // nothing changed, nothing is sent
        ColumnValues key;
        for (int c : t.key)
            key << qMakePair(m_fields[c].name, storedValue(m_current, c));
        st = buildUpdate(t.table, changed, key);
    }
    m_connection->writeOneRow(st.sql, st.params);
}

void DataSet::post()
{
    requireActive();
    if (!isEditing())
        return;
    for (int c = 0; c < fieldCount(); ++c)
        if (m_fields[c].required && m_buffer[size_t(c)].isNull())
            throw Error(QStringLiteral("Field '%1' must have a value").arg(m_fields[c].name));
    if (m_connection)
        writeBack();
    m_rows[size_t(m_current)].values = std::make_shared<std::vector<Value>>(std::move(m_buffer));
    m_buffer.clear();
    m_assigned.clear();
    m_modified = false;
    const int row = m_current;
    setState(State::Browse);
    emit rowChanged(row);
    if (afterPost)
        afterPost();
}

void DataSet::cancel()
{
    if (!isEditing())
        return;
    const int row = m_current;
    const bool inserting = m_state == State::Insert;
    m_buffer.clear();
    m_assigned.clear();
    m_modified = false;
    if (inserting) {
        m_rows.erase(m_rows.begin() + row);
        emit rowRemoved(row);
        m_current = -1;
        m_state = State::Browse;
        emit stateChanged(m_state);
        int back = m_rows.empty() ? -1 : qMin(row, rowCount() - 1);
        for (int r = 0; r < rowCount(); ++r)
            if (m_rows[size_t(r)].id == m_rowBeforeInsert)
                back = r;
        setCurrent(back, true);
        return;
    }
    setState(State::Browse);
    emit rowChanged(row);
}

void DataSet::remove()
{
    requireActive();
    if (m_readOnly)
        throw Error(QStringLiteral("Cannot modify a read-only dataset"));
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_rows.empty())
        throw Error(QStringLiteral("Cannot perform this operation on an empty dataset"));
    beforeLeavingRow();
    if (beforeDelete)
        beforeDelete();
    const int row = m_current;
    if (m_connection) {
        const TableTarget &t = target();
        ColumnValues key;
        for (int c : t.key)
            key << qMakePair(m_fields[c].name, storedValue(row, c));
        const Statement st = buildDelete(t.table, key);
        m_connection->writeOneRow(st.sql, st.params);
    }
    m_rows.erase(m_rows.begin() + row);
    m_current = -1;
    emit rowRemoved(row);
    setCurrent(m_rows.empty() ? -1 : qMin(row, rowCount() - 1), true);
}

quint64 DataSet::rowId(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)].id : 0;
}

quint64 DataSet::bookmark() const
{
    return rowId(m_current);
}

bool DataSet::gotoBookmark(quint64 bookmark)
{
    requireActive();
    for (int r = 0; r < rowCount(); ++r) {
        if (m_rows[size_t(r)].id == bookmark) {
            moveTo(r);
            return true;
        }
    }
    return false;
}

void DataSet::syncWithMaster(bool force)
{
    if (!m_master)
        return;
    const bool masterHasRow = m_master->isActive() && m_master->m_current >= 0;
    bool differs = force;
    QList<QPair<QString, Value>> wanted;
    for (const QString &p : std::as_const(m_paramOrder)) {
        if (m_master->fieldIndex(p) < 0)
            continue;
        const Value v = masterHasRow ? m_master->value(p) : Value();
        wanted << qMakePair(p, v);
        if (v != param(p))
            differs = true;
    }
    if (!differs)
        return;
    for (const auto &[p, v] : wanted)
        setParam(p, v);
    if (!isActive())
        return;
    // The old rows belong to another master row; edits were settled before
    // the master moved.
    m_buffer.clear();
    m_assigned.clear();
    m_modified = false;
    if (isEditing()) {
        m_state = State::Browse;
        emit stateChanged(m_state);
    }
    loadRows();
    m_current = -1;
    emit rowsReset();
    setCurrent(m_rows.empty() ? -1 : 0, true);
}
