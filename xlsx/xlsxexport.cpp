#include "xlsx/xlsxexport.h"

#include "data/error.h"
#include "grid/stylesheet.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStringEncoder>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr int IndentColumnPixels = 20;
// Excel's limit for one cell; libxlsxwriter refuses longer text outright, so
// the rest of a longer memo is dropped rather than losing the whole cell.
constexpr qsizetype MaxCellChars = 32767;
constexpr lxw_color_t GridLineColor = 0xD4D4D4;
// Julian day of 1899-12-30, day 0 of Excel's date serials.
constexpr qint64 ExcelEpochJulianDay = 2415019;
constexpr double MaxExcelSerial = 2958466.0; // 10000-01-01

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

[[noreturn]] void cannotCreate(const QString &path, const QString &reason)
{
    throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
}

// Excel serial of a day, or a negative value when Excel cannot show the date
// (before 1900 or after 9999).
double excelSerial(const QDate &date)
{
    qint64 days = date.toJulianDay() - ExcelEpochJulianDay;
    if (days < 1 || days >= qint64(MaxExcelSerial))
        return -1;
    if (days < 61)
        --days; // Excel counts a 29 February 1900 that never was
    return double(days);
}

lxw_color_t excelColor(const QColor &c)
{
    const lxw_color_t rgb = c.rgb() & 0xFFFFFF;
    return rgb ? rgb : lxw_color_t(LXW_COLOR_BLACK); // 0 means "unset" to libxlsxwriter
}

GridStyle overlay(GridStyle base, const GridStyle &top)
{
    if (top.background)
        base.background = top.background;
    if (top.textColor)
        base.textColor = top.textColor;
    if (top.font)
        base.font = top.font;
    return base;
}

void applyStyle(lxw_format *f, const GridStyle &style)
{
    format_set_border(f, LXW_BORDER_THIN);
    format_set_border_color(f, GridLineColor);
    if (style.background && style.background->isValid() && style.background->alpha() > 0)
        format_set_bg_color(f, excelColor(*style.background));
    if (style.textColor && style.textColor->isValid())
        format_set_font_color(f, excelColor(*style.textColor));
    if (style.font) {
        const QFont &font = *style.font;
        const QByteArray family = font.family().toUtf8();
        if (!family.isEmpty())
            format_set_font_name(f, family.constData());
        double points = font.pointSizeF();
        if (points <= 0 && font.pixelSize() > 0)
            points = font.pixelSize() * 0.75; // 96 dpi
        if (points > 0)
            format_set_font_size(f, points);
        if (font.bold())
            format_set_bold(f);
        if (font.italic())
            format_set_italic(f);
        if (font.underline())
            format_set_underline(f, LXW_UNDERLINE_SINGLE);
        if (font.strikeOut())
            format_set_font_strikeout(f);
    }
}

enum CellKind { General, Date, DateTime, CellKindCount };

// Closes (not just frees) a workbook abandoned half-way: only closing lets go
// of the temporary file that constant-memory mode fills.
struct OpenWorkbook
{
    lxw_workbook *workbook = nullptr;

    OpenWorkbook() = default;
    OpenWorkbook(const OpenWorkbook &) = delete;
    OpenWorkbook &operator=(const OpenWorkbook &) = delete;
    ~OpenWorkbook()
    {
        if (workbook)
            workbook_close(workbook);
    }
};

// Where the workbook goes: a temporary file beside the target, renamed over
// it only after libxlsxwriter has closed the workbook without error.
class Output
{
public:
    explicit Output(const QString &filePath) : m_path(filePath)
    {
        const QFileInfo target(filePath);
        if (filePath.isEmpty())
            cannotCreate(filePath, systemReason(ENOENT));
        if (target.isDir())
            cannotCreate(filePath, systemReason(EISDIR));
        const QFileInfo folder(target.absolutePath());
        if (!folder.exists())
            cannotCreate(filePath, systemReason(ENOENT));
        if (!folder.isDir())
            cannotCreate(filePath, systemReason(ENOTDIR));
        if (target.exists() && !target.isWritable())
            cannotCreate(filePath, systemReason(EACCES));

        // Replace what a link points to, not the link.
        m_final = target.isSymLink() && target.exists() ? target.canonicalFilePath()
                                                         : target.absoluteFilePath();
        if (target.exists())
            m_permissions = target.permissions();

        for (int attempt = 0;; ++attempt) {
            const QString name = folder.absoluteFilePath() + QStringLiteral("/.~")
                + target.fileName() + u'.'
                + QString::number(QRandomGenerator::global()->generate(), 36)
                + QStringLiteral(".tmp");
            if (QFile::exists(name) && attempt < 8)
                continue;
            QFile probe(name);
            if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                cannotCreate(filePath, probe.errorString());
            probe.close();
            m_temp = name;
            break;
        }
    }

    ~Output()
    {
        if (!m_temp.isEmpty())
            QFile::remove(m_temp);
    }

    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;

    QByteArray tempName() const { return QFile::encodeName(m_temp); }

    void commit()
    {
        if (m_permissions)
            QFile::setPermissions(m_temp, *m_permissions);
        std::error_code ec;
        std::filesystem::rename(QFileInfo(m_temp).filesystemAbsoluteFilePath(),
                                QFileInfo(m_final).filesystemAbsoluteFilePath(), ec);
        if (ec)
            cannotCreate(m_path, QString::fromStdString(ec.message()));
        m_temp.clear();
    }

private:
    QString m_path;
    QString m_final;
    QString m_temp;
    std::optional<QFileDevice::Permissions> m_permissions;
};

class Writer
{
public:
    Writer(const QAbstractItemModel &model, const QList<ExportColumn> &columns,
           const QString &filePath, const ExportOptions &options)
        : m_model(model), m_columns(columns), m_path(filePath), m_options(options),
          m_indents(qMax(0, options.groupLevels)),
          m_utf8Encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless)
    {
        m_modelColumns.reserve(columns.size());
        for (const ExportColumn &c : columns)
            m_modelColumns.push_back(c.modelColumn);
        m_shortDate = options.shortDateFormat.isEmpty()
            ? QLocale::system().dateFormat(QLocale::ShortFormat)
            : options.shortDateFormat;
        m_longTime = options.longTimeFormat.isEmpty()
            ? QLocale::system().timeFormat(QLocale::LongFormat)
            : options.longTimeFormat;
    }

    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void run()
    {
        const qsizetype columnCount = m_indents + m_columns.size();
        if (columnCount > LXW_COL_MAX)
            cannotCreate(m_path, QStringLiteral("An Excel worksheet holds at most %1 columns.")
                                     .arg(LXW_COL_MAX));
        m_lastColumn = int(columnCount) - 1;
        if (1 + countRows(QModelIndex()) > LXW_ROW_MAX)
            tooManyRows();

        Output output(m_path);
        const QByteArray tempName = output.tempName();
        const QByteArray tmpDir = QFile::encodeName(QDir::tempPath());

        // Constant-memory mode streams each row to a temporary file once the
        // next row starts, so rows must be written strictly in order.
        lxw_workbook_options opts{};
        opts.constant_memory = LXW_TRUE;
        opts.tmpdir = const_cast<char *>(tmpDir.constData());
        opts.use_zip64 = LXW_FALSE;
        OpenWorkbook book; // after output: closed before the temporary file goes
        book.workbook = m_workbook = workbook_new_opt(tempName.constData(), &opts);
        if (!m_workbook)
            cannotCreate(m_path, systemReason(ENOMEM));

        QByteArray sheetName = worksheetNameFor(m_path).toUtf8();
        // Whatever libxlsxwriter still refuses gets Excel's own default name.
        if (workbook_validate_sheet_name(m_workbook, sheetName.constData()) != LXW_NO_ERROR)
            sheetName = QByteArrayLiteral("Sheet1");
        errno = 0;
        m_sheet = workbook_add_worksheet(m_workbook, sheetName.constData());
        if (!m_sheet) // the temporary file of constant-memory mode could not be made
            cannotCreate(m_path, errno ? systemReason(errno) : QStringLiteral("Out of memory."));

        createFormats();
        setColumnWidths();
        writeHeader();
        writeRows(QModelIndex(), 0);

        errno = 0;
        book.workbook = nullptr; // closing frees it, whatever the outcome
        const lxw_error err = workbook_close(m_workbook);
        m_workbook = nullptr;
        if (err != LXW_NO_ERROR) {
            const int sysErr = errno;
            cannotCreate(m_path, sysErr ? systemReason(sysErr)
                                        : QString::fromUtf8(lxw_strerror(err)));
        }
        output.commit();
    }

private:
    lxw_format *newFormat(const GridStyle *style, const QString &numberFormat)
    {
        if (!style && numberFormat.isEmpty())
            return nullptr;
        lxw_format *f = workbook_add_format(m_workbook);
        if (!numberFormat.isEmpty())
            format_set_num_format(f, numberFormat.toUtf8().constData());
        if (style)
            applyStyle(f, *style);
        return f;
    }

    void createFormats()
    {
        const GridStyleSheet *sheet = m_options.styles;
        const QString date = excelNumberFormat(m_shortDate);
        const QString dateTime = date + u' ' + excelNumberFormat(m_longTime);
        const QString numberFormats[CellKindCount] = {QString(), date, dateTime};

        if (!sheet) {
            for (int kind = 0; kind < CellKindCount; ++kind)
                m_cell[0][kind] = m_cell[1][kind] = newFormat(nullptr, numberFormats[kind]);
            return;
        }
        m_header = newFormat(&sheet->header, {});
        m_group = newFormat(&sheet->group, {});
        const GridStyle even = overlay(sheet->content, sheet->contentEven);
        const GridStyle odd = overlay(sheet->content, sheet->contentOdd);
        for (int kind = 0; kind < CellKindCount; ++kind) {
            m_cell[0][kind] = newFormat(&even, numberFormats[kind]);
            m_cell[1][kind] = newFormat(&odd, numberFormats[kind]);
        }
    }

    void setColumnWidths()
    {
        if (m_indents > 0)
            worksheet_set_column_pixels(m_sheet, 0, lxw_col_t(m_indents - 1), IndentColumnPixels,
                                        nullptr);
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            const int width = m_columns.at(i).widthPixels;
            const auto col = lxw_col_t(m_indents + i);
            if (width > 0)
                worksheet_set_column_pixels(m_sheet, col, col, uint32_t(width), nullptr);
        }
    }

    quint64 countRows(const QModelIndex &parent) const
    {
        const int rows = m_model.rowCount(parent);
        quint64 total = quint64(qMax(0, rows));
        for (int r = 0; r < rows && total < LXW_ROW_MAX; ++r) {
            const QModelIndex first = m_model.index(r, 0, parent);
            if (first.isValid() && m_model.hasChildren(first))
                total += countRows(first);
        }
        return total;
    }

    [[noreturn]] void tooManyRows() const
    {
        cannotCreate(m_path, QStringLiteral("An Excel worksheet holds at most %1 rows.")
                                 .arg(LXW_ROW_MAX));
    }

    void startRow()
    {
        if (m_row >= LXW_ROW_MAX)
            tooManyRows();
        if (m_options.rowHeightPixels > 0)
            check(worksheet_set_row_pixels(m_sheet, m_row, uint32_t(m_options.rowHeightPixels),
                                           nullptr));
    }

    void check(lxw_error err)
    {
        if (err != LXW_NO_ERROR)
            cannotCreate(m_path, QString::fromUtf8(lxw_strerror(err)));
    }

    Q_NEVER_INLINE static QStringView cutToCellLimit(QStringView text)
    {
        qsizetype n = MaxCellChars;
        if (text.at(n - 1).isHighSurrogate())
            --n; // never half a character
        return text.first(n);
    }

    // UTF-8 in a buffer kept across cells: no allocation per cell.
    const char *utf8(QStringView text)
    {
        if (text.size() > MaxCellChars)
            text = cutToCellLimit(text);
        const qsizetype need = m_utf8Encoder.requiredSpace(text.size()) + 1;
        if (m_utf8.size() < need)
            m_utf8.resize(need);
        char *end = m_utf8Encoder.appendToBuffer(m_utf8.data(), text);
        *end = '\0';
        return m_utf8.constData();
    }

    void writeText(lxw_col_t col, QStringView text, lxw_format *f)
    {
        check(worksheet_write_string(m_sheet, m_row, col, utf8(text), f));
    }

    void writeHeader()
    {
        startRow();
        for (int i = 0; i < m_indents; ++i)
            check(worksheet_write_blank(m_sheet, m_row, lxw_col_t(i), m_header));
        for (qsizetype i = 0; i < m_columns.size(); ++i)
            writeText(lxw_col_t(m_indents + i), m_columns.at(i).header, m_header);
        ++m_row;
    }

    void writeRows(const QModelIndex &parent, int level)
    {
        const int rows = m_model.rowCount(parent);
        for (int r = 0; r < rows; ++r) {
            const QModelIndex first = m_model.index(r, 0, parent);
            // An invalid index would ask about the root again.
            if (first.isValid() && m_model.hasChildren(first)) {
                writeGroupRow(first, level);
                writeRows(first, level + 1);
            } else {
                writeDataRow(parent, r);
            }
        }
    }

    void writeGroupRow(const QModelIndex &index, int level)
    {
        startRow();
        if (level < m_indents)
            writeText(lxw_col_t(level), u"-", m_group);
        const int first = qMin(level + 1, m_indents);
        const QString text = m_model.data(index, Qt::DisplayRole).toString();
        if (m_lastColumn > first) {
            // Merging works in constant-memory mode as long as the range lies
            // in the row being written.
            check(worksheet_merge_range(m_sheet, m_row, lxw_col_t(first), m_row,
                                        lxw_col_t(m_lastColumn), utf8(text), m_group));
        } else if (m_lastColumn == first) {
            writeText(lxw_col_t(first), text, m_group); // one cell cannot be merged
        }
        ++m_row;
    }

    void writeDataRow(const QModelIndex &parent, int r)
    {
        startRow();
        lxw_format *const *formats = m_cell[m_dataRows & 1];
        ++m_dataRows;
        const qsizetype n = m_modelColumns.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QVariant v = m_model.data(m_model.index(r, m_modelColumns[i], parent),
                                            Qt::EditRole);
            writeValue(lxw_col_t(m_indents + i), v, formats);
        }
        ++m_row;
    }

    void writeNumber(lxw_col_t col, double value, lxw_format *f)
    {
        check(worksheet_write_number(m_sheet, m_row, col, value, f));
    }

    void writeBlank(lxw_col_t col, lxw_format *f)
    {
        // Styled blanks keep the row's band and grid lines unbroken.
        if (f)
            check(worksheet_write_blank(m_sheet, m_row, col, f));
    }

    void writeValue(lxw_col_t col, const QVariant &v, lxw_format *const *formats)
    {
        switch (v.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::QByteArray: // binary content is not exported
            writeBlank(col, formats[General]);
            return;
        case QMetaType::QString:
            writeText(col, *static_cast<const QString *>(v.constData()), formats[General]);
            return;
        case QMetaType::Bool:
            writeText(col, *static_cast<const bool *>(v.constData()) ? u"True" : u"False",
                      formats[General]);
            return;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            writeNumber(col, v.toDouble(), formats[General]);
            return;
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            if (std::isfinite(d))
                writeNumber(col, d, formats[General]);
            else
                writeText(col, v.toString(), formats[General]);
            return;
        }
        case QMetaType::QDate: {
            const QDate &date = *static_cast<const QDate *>(v.constData());
            if (!date.isValid())
                writeBlank(col, formats[General]);
            else if (const double serial = excelSerial(date); serial >= 0)
                writeNumber(col, serial, formats[Date]);
            else // Excel has no serial for it: show it as the grid does
                writeText(col, QLocale::system().toString(date, m_shortDate), formats[General]);
            return;
        }
        case QMetaType::QDateTime: {
            const QDateTime &dt = *static_cast<const QDateTime *>(v.constData());
            if (!dt.isValid()) {
                writeBlank(col, formats[General]);
                return;
            }
            // Wall-clock date and time in the value's own zone, as the grid shows it.
            const QDate date = dt.date();
            const QTime time = dt.time();
            const bool midnight = time.msecsSinceStartOfDay() == 0;
            const double serial = excelSerial(date);
            if (serial < 0) {
                const QString format = midnight ? m_shortDate : m_shortDate + u' ' + m_longTime;
                writeText(col, QLocale::system().toString(dt, format), formats[General]);
            } else if (midnight) {
                writeNumber(col, serial, formats[Date]);
            } else {
                writeNumber(col, serial + time.msecsSinceStartOfDay() / 86400000.0,
                            formats[DateTime]);
            }
            return;
        }
        default: {
            const QString text = v.toString();
            if (text.isEmpty())
                writeBlank(col, formats[General]);
            else
                writeText(col, text, formats[General]);
            return;
        }
        }
    }

    const QAbstractItemModel &m_model;
    const QList<ExportColumn> &m_columns;
    const QString m_path;
    const ExportOptions &m_options;
    const int m_indents;
    std::vector<int> m_modelColumns;
    QString m_shortDate;
    QString m_longTime;

    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_header = nullptr;
    lxw_format *m_group = nullptr;
    lxw_format *m_cell[2][CellKindCount] = {}; // [data row parity][kind]

    lxw_row_t m_row = 0;
    quint64 m_dataRows = 0;
    int m_lastColumn = -1;
    QStringEncoder m_utf8Encoder;
    QByteArray m_utf8;
};

} // namespace

void exportToXlsx(const QAbstractItemModel &model, const QList<ExportColumn> &columns,
                  const QString &filePath, const ExportOptions &options)
{
    Writer(model, columns, filePath, options).run();
}

QString worksheetNameFor(const QString &filePath)
{
    QString name = QFileInfo(filePath).completeBaseName();
    for (QChar &c : name) {
        switch (c.unicode()) {
        case 0x0000:
        case 0x0003:
        case '*':
        case '/':
        case ':':
        case '?':
        case '[':
        case '\\':
        case ']':
            c = u' ';
            break;
        default:
            break;
        }
    }
    if (name.size() > 31) {
        qsizetype n = 31;
        if (name.at(n - 1).isHighSurrogate())
            --n; // never half a character
        name.truncate(n);
    }
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name.at(begin) == u'\'')
        ++begin;
    while (end > begin && name.at(end - 1) == u'\'')
        --end;
    name = name.mid(begin, end - begin);
    // Excel needs a name; an empty one is what libxlsxwriter would refuse.
    return name.isEmpty() ? QStringLiteral("Sheet1") : name;
}

QString xlsxPathFor(const QString &chosenPath)
{
    if (chosenPath.isEmpty())
        return {};
    QString path = QDir::fromNativeSeparators(chosenPath);
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > slash)
        path.truncate(dot);
    return QDir::toNativeSeparators(path + QStringLiteral(".xlsx"));
}
