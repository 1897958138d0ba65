#pragma once

#include "data/value.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class Connection;
class Result;

// A query result held on the client with a current row, editable and written
// back to the first table of the query's FROM list by generated statements.
// Without a connection it is an in-memory table: posts stay on the client.
//
// Parameters are written ":name" in the SQL and always travel as parameters.
// A detail data set follows its master: each parameter takes the value of the
// master column of the same name.
class DataSet : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)

    // Refusing events: throw Error to refuse; nothing has changed then.
    using Hook = std::function<void()>;

    DataSet(Connection *connection, const QString &sql, QObject *parent = nullptr);
    ~DataSet() override;

    Connection *connection() const { return m_connection; }
    QString sql() const { return m_sql; }

    // Declared fields: opening fails when the result lacks one of them, and
    // only they are exposed, in this order. Without declarations every result
    // column is exposed with the kind its server type suggests.
    void setFields(const QList<FieldDef> &fields);
    int fieldCount() const { return int(m_fields.size()); }
    const FieldDef &field(int column) const { return m_fields.at(column); }
    int fieldIndex(const QString &name) const; // -1 when absent
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    bool canModify() const;

    QStringList paramNames() const;
    void setParam(const QString &name, const Value &value);
    Value param(const QString &name) const;

    void setMaster(DataSet *master);
    DataSet *master() const { return m_master; }

    // Lifecycle.
    void open();
    void close();
    void refresh(); // re-read, back to the row with the same key values
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }

    // Rows and the current row.
    int rowCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    int currentRow() const { return m_current; } // -1 when there is none
    void moveTo(int row);
    void first();
    void prior();
    void next();
    void last();
    bool isFirst() const { return m_current <= 0; }
    bool isLast() const { return m_current >= rowCount() - 1; }

    // Values. While a row is edited, its values are the edited ones.
    Value value(int row, int column) const;
    Value value(const QString &name) const; // current row
    Value value(int column) const { return value(m_current, column); }
    bool isNull(int row, int column) const;
    // A bytes cell where it lies, without copying a large document; valid
    // until the rows change. Empty for null.
    QByteArrayView bytesView(int row, int column) const;
    void setValue(int column, const Value &value); // current row, while editing
    void setValue(const QString &name, const Value &value);
    bool isModified() const { return m_state == State::Insert || m_modified; }

    // Editing.
    void edit();    // an empty data set starts a new row instead
    void insert();  // new row before the current one
    void append();  // new row at the end
    void post();
    void cancel();
    void remove();
    // Posts a modified row being edited, drops an unmodified one.
    void checkBrowseMode();

    // Bookmarks name a row until the rows are re-read.
    quint64 bookmark() const;
    bool gotoBookmark(quint64 bookmark);

    Hook beforeEdit;
    Hook beforeInsert;
    Hook beforeDelete;
    Hook afterPost;

signals:
    void rowsReset();                 // every row replaced (open, re-read, close)
    void rowChanged(int row);         // values of one row changed
    void rowInserted(int row);
    void rowRemoved(int row);
    void currentRowChanged(int row);
    void stateChanged(DataSet::State state);

private:
    struct Row
    {
        int source = -1; // row of the result; -1 for rows that exist only here
        quint64 id = 0;
        // Set once the row was posted or created here; until then its values
        // are decoded from the result on demand.
        std::shared_ptr<std::vector<Value>> values;
    };
    struct TableTarget;

    void requireActive() const;
    void requireEditing() const;
    void loadRows();
    void setCurrent(int row, bool force = false);
    void beforeLeavingRow();
    void setState(State state);
    void startNewRow(int position);
    void writeBack();
    void deleteFromServer(int row);
    const TableTarget &target();
    QList<Value> keyValues(int row);
    Value storedValue(int row, int column) const;
    void syncWithMaster(bool force);
    quint64 rowId(int row) const;

    Connection *m_connection;
    QString m_sql;
    QString m_execSql;                 // with $n in place of :name
    QStringList m_paramOrder;          // name of $1, $2, ...
    QHash<QString, Value> m_params;
    QList<FieldDef> m_fields;
    bool m_declared = false;
    std::vector<int> m_resultColumn;   // field -> result column
    std::shared_ptr<Result> m_result;
    std::vector<Row> m_rows;
    int m_current = -1;
    State m_state = State::Inactive;
    bool m_readOnly = false;
    quint64 m_nextRowId = 1;

    // The row being edited.
    std::vector<Value> m_buffer;
    std::vector<bool> m_assigned;
    bool m_modified = false;
    quint64 m_rowBeforeInsert = 0; // where cancelling a new row returns

    QPointer<DataSet> m_master;
    QList<QPointer<DataSet>> m_details;
    std::unique_ptr<TableTarget> m_target;
};
