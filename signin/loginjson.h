#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <vector>

// The JSON dialect of the dataset storage files: a UTF-8 document, read
// tolerantly (BOM or none, whitespace, either hex case, CESU-8 surrogates or
// 4-byte UTF-8) and written in one fixed compact form.
namespace loginjson {

struct Value
{
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    // Byte offset of the value in the document, counting the BOM.
    qsizetype pos = 0;
    bool boolean = false;
    double number = 0;
    QString text;
    // Array elements, or object member values in document order.
    std::vector<Value> items;
    // Object member names, parallel to items.
    std::vector<QString> names;
};

// Throws Error naming the position of the first fault: the 0-based byte
// offset in the file, BOM included, so it matches a hex editor's view.
Value parse(const QByteArray &data);

// Appends s as a quoted JSON string in the storage form: "/" escaped, other
// control codes as \u with upper-case hex, and every UTF-16 unit as its own
// UTF-8 sequence, so a character beyond U+FFFF becomes two 3-byte sequences.
void appendString(QByteArray &out, QStringView s);

} // namespace loginjson
