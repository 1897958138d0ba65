#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The sign-in dialog's memory of the last company and user name: the table
// dsLogin (company, username; text of at most 200 characters, nullable, at
// most one row), kept whole in preCmd.json in the roaming app-data folder.
// The password has no column here on purpose: it is never stored.
class LoginTable
{
public:
    static QString defaultPath();

    bool isOpen() const { return m_open; }
    // Makes the table usable; it stays empty unless something was loaded.
    void open();

    bool hasRow() const { return m_row.has_value(); }
    // Current values; while editing, the values being edited.
    std::optional<QString> company() const;
    std::optional<QString> username() const;

    bool isEditing() const { return m_editing; }
    // Starts the single row when the table is empty, else edits that row.
    // Does nothing while already editing.
    void edit();
    // Only while editing, else throws Error.
    void setCompany(const std::optional<QString> &value);
    void setUsername(const std::optional<QString> &value);
    // A row being edited is posted if modified, else dropped (cancelled).
    void post();

    // Replaces the content with the file's; throws Error. After a failure
    // the table is closed and fresh.
    void load(const QString &path);
    // Posts first, then writes the whole table atomically; throws Error.
    void save(const QString &path);

    // The exact document bytes, BOM included.
    QByteArray toJson() const;
    // Replaces the content with the document's; throws Error.
    void loadJson(const QByteArray &data);

private:
    struct Row
    {
        std::optional<QString> company;
        std::optional<QString> username;
        bool operator==(const Row &) const = default;
    };

    void reset();
    void requireEditing() const;

    bool m_open = false;
    std::optional<Row> m_row;
    // The row came from the file rather than being typed in this run.
    bool m_rowFromFile = false;
    std::optional<QString> m_rowPriorState;
    // How many times the row was posted over the file's life.
    int m_savePoint = 0;

    bool m_editing = false;
    Row m_before;
    Row m_buffer;
};
