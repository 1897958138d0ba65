#include "signin/logintable.h"

#include "data/error.h"
#include "signin/loginjson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

using loginjson::Value;
using namespace Qt::StringLiterals;

namespace {

// The columns are WideString(200): a longer value would not fit the field.
constexpr qsizetype FieldSize = 200;

std::optional<QString> fitField(const std::optional<QString> &value)
{
    if (!value || value->size() <= FieldSize)
        return value;
    qsizetype n = FieldSize;
    // Never split a surrogate pair: half a character is not text.
    if (value->at(n - 1).isHighSurrogate())
        --n;
    return value->left(n);
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

[[noreturn]] void formatError(const QString &what)
{
    throw Error(QStringLiteral("Invalid JSON storage format: ") + what);
}

[[noreturn]] void formatErrorAt(const Value &v, const char *what)
{
    throw Error(QStringLiteral("Invalid JSON storage format at position %1: %2")
                    .arg(v.pos)
                    .arg(QString::fromLatin1(what)));
}

// Walks an object's members in their fixed order. A member is looked for only
// at its own place: when the next member in the document belongs to a later
// place, this one is missing (default) and that member waits for its place.
// A member that belongs to no later place (unknown, or out of order) is
// skipped, so a newer writer's additions do not make the file unreadable.
class Members
{
public:
    Members(const Value &object, QStringList expected)
        : m_object(object), m_expected(std::move(expected))
    {
    }

    // The member of the given place, or nullptr when it is missing or null.
    const Value *take(qsizetype place)
    {
        const QString &wanted = m_expected.at(place);
        while (m_next < qsizetype(m_object.names.size())) {
            const QString &name = m_object.names[m_next];
            if (sameName(name, wanted)) {
                const Value &v = m_object.items[m_next++];
                return v.kind == Value::Kind::Null ? nullptr : &v;
            }
            const bool later = std::any_of(m_expected.cbegin() + place + 1, m_expected.cend(),
                                           [&](const QString &e) { return sameName(e, name); });
            if (later)
                return nullptr;
            ++m_next;
        }
        return nullptr;
    }

private:
    const Value &m_object;
    const QStringList m_expected;
    qsizetype m_next = 0;
};

int intOr(const Value *v, int fallback)
{
    if (!v)
        return fallback;
    if (v->kind != Value::Kind::Number || v->number != std::trunc(v->number)
        || v->number < std::numeric_limits<int>::min()
        || v->number > std::numeric_limits<int>::max())
        formatErrorAt(*v, "expected integer");
    return int(v->number);
}

bool boolOr(const Value *v, bool fallback)
{
    if (!v)
        return fallback;
    if (v->kind != Value::Kind::Bool)
        formatErrorAt(*v, "expected true or false");
    return v->boolean;
}

std::optional<QString> optString(const Value *v)
{
    if (!v)
        return std::nullopt;
    if (v->kind != Value::Kind::String)
        formatErrorAt(*v, "expected string");
    return v->text;
}

const Value &required(const Value *v, Value::Kind kind, const char *name)
{
    if (!v)
        formatError(QStringLiteral("object \"%1\" not found").arg(QLatin1String(name)));
    if (v->kind != kind)
        formatErrorAt(*v, kind == Value::Kind::Array ? "expected array" : "expected object");
    return *v;
}

const Value *optional(const Value *v, Value::Kind kind)
{
    if (v && v->kind != kind)
        formatErrorAt(*v, kind == Value::Kind::Array ? "expected array" : "expected object");
    return v;
}

void checkClass(const Value *v, const QString &expected)
{
    const QString cls = optString(v).value_or(expected);
    if (sameName(cls, expected))
        return;
    if (sameName(cls, u"Table"_s) || sameName(cls, u"Column"_s))
        formatError(QStringLiteral("class \"%1\" found where \"%2\" expected").arg(cls, expected));
    formatError(QStringLiteral("unknown class \"%1\"").arg(cls));
}

struct StoredRow
{
    std::optional<QString> priorState;
    std::vector<const Value *> values; // one per stored column, nullptr for null
};

struct StoredTable
{
    QString name;
    QStringList columns;
    std::vector<StoredRow> rows;
};

QString readColumn(const Value &v)
{
    if (v.kind != Value::Kind::Object)
        formatErrorAt(v, "expected object");
    Members m(v, {u"class"_s, u"Name"_s, u"SourceID"_s, u"DataType"_s, u"Size"_s,
                  u"Searchable"_s, u"AllowNull"_s, u"Base"_s, u"OAllowNull"_s,
                  u"OInUpdate"_s, u"OInWhere"_s, u"SourceSize"_s});
    checkClass(m.take(0), u"Column"_s);
    const QString name = optString(m.take(1)).value_or(QString());
    intOr(m.take(2), 0);
    optString(m.take(3));
    intOr(m.take(4), FieldSize);
    for (qsizetype place = 5; place <= 10; ++place)
        boolOr(m.take(place), true);
    intOr(m.take(11), FieldSize);
    return name;
}

StoredRow readRow(const Value &v, const QStringList &columns)
{
    if (v.kind != Value::Kind::Object)
        formatErrorAt(v, "expected object");
    Members m(v, {u"RowID"_s, u"RowPriorState"_s, u"Original"_s});
    intOr(m.take(0), 0);
    StoredRow row;
    row.priorState = optString(m.take(1));
    row.values.assign(columns.size(), nullptr);
    if (const Value *original = optional(m.take(2), Value::Kind::Object)) {
        Members values(*original, columns);
        for (qsizetype i = 0; i < columns.size(); ++i)
            row.values[i] = values.take(i);
    }
    return row;
}

StoredTable readTable(const Value &v)
{
    if (v.kind != Value::Kind::Object)
        formatErrorAt(v, "expected object");
    Members m(v, {u"class"_s, u"Name"_s, u"TabID"_s, u"EnforceConstraints"_s,
                  u"MinimumCapacity"_s, u"CheckNotNull"_s, u"ColumnList"_s,
                  u"ConstraintList"_s, u"ViewList"_s, u"RowList"_s});
    checkClass(m.take(0), u"Table"_s);
    StoredTable table;
    table.name = optString(m.take(1)).value_or(QString());
    intOr(m.take(2), 0);
    boolOr(m.take(3), false);
    intOr(m.take(4), 50);
    boolOr(m.take(5), false);
    for (const Value &column : required(m.take(6), Value::Kind::Array, "ColumnList").items)
        table.columns << readColumn(column);
    // Constraints and views have no meaning for this table; only their presence is checked.
    required(m.take(7), Value::Kind::Array, "ConstraintList");
    required(m.take(8), Value::Kind::Array, "ViewList");
    for (const Value &row : required(m.take(9), Value::Kind::Array, "RowList").items)
        table.rows.push_back(readRow(row, table.columns));
    return table;
}

qsizetype fieldIndex(const StoredTable *table, const QString &field)
{
    if (table) {
        for (qsizetype i = 0; i < table->columns.size(); ++i) {
            if (sameName(table->columns[i], field))
                return i;
        }
    }
    throw Error(QStringLiteral("dsLogin: Field '%1' not found").arg(field));
}

void appendColumn(QByteArray &out, const char *name, int sourceId)
{
    out += R"({"class":"Column","Name":")";
    out += name;
    out += R"(","SourceID":)";
    out += QByteArray::number(sourceId);
    out += R"(,"DataType":"WideString","Size":200,"Searchable":true,"AllowNull":true,)"
           R"("Base":true,"OAllowNull":true,"OInUpdate":true,"OInWhere":true,"SourceSize":200})";
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString LoginTable::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(u"preCmd.json"_s);
}

void LoginTable::open()
{
    m_open = true;
}

std::optional<QString> LoginTable::company() const
{
    if (m_editing)
        return m_buffer.company;
    return m_row ? m_row->company : std::nullopt;
}

std::optional<QString> LoginTable::username() const
{
    if (m_editing)
        return m_buffer.username;
    return m_row ? m_row->username : std::nullopt;
}

void LoginTable::edit()
{
    if (!m_open)
        throw Error(u"dsLogin: Cannot perform this operation on a closed dataset"_s);
    if (m_editing)
        return;
    m_before = m_row.value_or(Row{});
    m_buffer = m_before;
    m_editing = true;
}

void LoginTable::requireEditing() const
{
    if (!m_editing)
        throw Error(u"dsLogin: Dataset not in edit or insert mode"_s);
}

void LoginTable::setCompany(const std::optional<QString> &value)
{
    requireEditing();
    m_buffer.company = fitField(value);
}

void LoginTable::setUsername(const std::optional<QString> &value)
{
    requireEditing();
    m_buffer.username = fitField(value);
}

void LoginTable::post()
{
    if (!m_editing)
        return;
    m_editing = false;
    // Assigning the values the row already has is no change: a run where
    // nothing was typed must leave the file as it was.
    if (m_buffer == m_before)
        return;
    m_row = m_buffer;
    ++m_savePoint;
    if (m_rowFromFile && !m_rowPriorState)
        m_rowPriorState = u"Unchanged"_s;
}

void LoginTable::reset()
{
    *this = LoginTable();
}

void LoginTable::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reset();
        throw Error(QStringLiteral("Cannot open file \"%1\". %2")
                        .arg(nativePath(path), file.errorString()));
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reset();
        throw Error(QStringLiteral("Cannot open file \"%1\". %2")
                        .arg(nativePath(path), file.errorString()));
    }
    loadJson(data);
}

void LoginTable::loadJson(const QByteArray &data)
{
    LoginTable loaded;
    try {
        const Value root = loginjson::parse(data);
        if (root.kind != Value::Kind::Object)
            formatErrorAt(root, "expected object");
        Members top(root, {u"FDBS"_s});
        const Value &fdbs = required(top.take(0), Value::Kind::Object, "FDBS");

        Members storage(fdbs, {u"Version"_s, u"Manager"_s});
        intOr(storage.take(0), 16);
        const Value &manager = required(storage.take(1), Value::Kind::Object, "Manager");

        Members m(manager, {u"UpdatesRegistry"_s, u"TableList"_s, u"RelationList"_s,
                            u"UpdatesJournal"_s});
        boolOr(m.take(0), true);
        std::vector<StoredTable> tables;
        for (const Value &table : required(m.take(1), Value::Kind::Array, "TableList").items)
            tables.push_back(readTable(table));
        required(m.take(2), Value::Kind::Array, "RelationList");
        if (const Value *journal = optional(m.take(3), Value::Kind::Object)) {
            Members j(*journal, {u"SavePoint"_s, u"Changes"_s});
            loaded.m_savePoint = intOr(j.take(0), 0);
            // Pending changes are not kept: the rows hold the values.
            optional(j.take(1), Value::Kind::Array);
        }

        const StoredTable *table = tables.empty() ? nullptr : &tables.front();
        for (const StoredTable &t : tables) {
            if (sameName(t.name, u"dsLogin"_s)) {
                table = &t;
                break;
            }
        }
        const qsizetype companyAt = fieldIndex(table, u"company"_s);
        const qsizetype usernameAt = fieldIndex(table, u"username"_s);

        // The table holds at most one row; any further rows are not ours.
        if (!table->rows.empty()) {
            const StoredRow &row = table->rows.front();
            loaded.m_row = Row{optString(row.values[companyAt]), optString(row.values[usernameAt])};
            loaded.m_rowFromFile = true;
            loaded.m_rowPriorState = row.priorState;
        }
        loaded.m_open = true;
    } catch (...) {
        reset();
        throw;
    }
    *this = std::move(loaded);
}

QByteArray LoginTable::toJson() const
{
    QByteArray out("\xEF\xBB\xBF");
    out += R"({"FDBS":{"Version":16,"Manager":{"UpdatesRegistry":true,"TableList":[)"
           R"({"class":"Table","Name":"dsLogin","TabID":0,"EnforceConstraints":false,)"
           R"("MinimumCapacity":50,"CheckNotNull":false,"ColumnList":[)";
    appendColumn(out, "company", 1);
    out += ',';
    appendColumn(out, "username", 2);
    out += R"(],"ConstraintList":[],"ViewList":[],"RowList":[)";
    if (m_row) {
        out += R"({"RowID":0)";
        if (m_rowPriorState) {
            out += R"(,"RowPriorState":)";
            loginjson::appendString(out, *m_rowPriorState);
        }
        out += R"(,"Original":{)";
        // A null column is left out, never written as null.
        bool first = true;
        const auto member = [&](const char *name, const std::optional<QString> &value) {
            if (!value)
                return;
            if (!first)
                out += ',';
            first = false;
            out += '"';
            out += name;
            out += "\":";
            loginjson::appendString(out, *value);
        };
        member("company", m_row->company);
        member("username", m_row->username);
        out += "}}";
    }
    out += R"(]}],"RelationList":[],"UpdatesJournal":{)";
    if (m_savePoint != 0) {
        out += R"("SavePoint":)";
        out += QByteArray::number(m_savePoint);
        out += ',';
    }
    out += R"("Changes":[]}}}})";
    return out;
}

void LoginTable::save(const QString &path)
{
    post();
    const QByteArray data = toJson();
    // The per-user folder may not exist yet on a fresh account.
    QFileInfo(path).absoluteDir().mkpath(u"."_s);
    // Written beside the target and renamed over it, so a crash or a full
    // disk never leaves half a file where the last sign-in used to be.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                        .arg(nativePath(path), file.errorString()));
    }
}
