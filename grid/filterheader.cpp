#include "grid/filterheader.h"

#include "grid/stylesheet.h"
#include "grid/stylesheets.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

const char *const FilterHeader::columnMimeType = "application/x-varnok-grid-column";

FilterHeader::FilterHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(true);
    setSectionsClickable(true);
    setSortIndicatorShown(true);
    setSortIndicator(-1, Qt::AscendingOrder);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    connect(this, &QHeaderView::sectionResized, this, &FilterHeader::adjustEditors);
    connect(this, &QHeaderView::sectionMoved, this, &FilterHeader::adjustEditors);
    connect(this, &QHeaderView::sectionCountChanged, this, [this] {
        syncEditorCount();
        adjustEditors();
    });

    m_caption = new QLabel(tr("Click here to define a filter"), this);
    m_caption->setAutoFillBackground(true);
    m_caption->setIndent(6);
    m_caption->setCursor(Qt::IBeamCursor);
    m_caption->installEventFilter(this);
    m_caption->hide();
}

int FilterHeader::editorHeight() const
{
    return fontMetrics().height() + 8;
}

QSize FilterHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    if (m_filterRowVisible)
        s.setHeight(s.height() + editorHeight());
    return s;
}

void FilterHeader::setFilterRowVisible(bool visible)
{
    if (m_filterRowVisible == visible)
        return;
    m_filterRowVisible = visible;
    syncEditorCount();
    updateGeometries();
    adjustEditors();
}

void FilterHeader::applyFilterStyle(QLineEdit *editor) const
{
    // Typed conditions read like cell text, not like the bold labels.
    if (m_sheet && (m_sheet->filterBox.font || m_sheet->content.font))
        editor->setFont(displayFont(m_sheet->filterBox.font.value_or(*m_sheet->content.font)));
    QPalette pal = editor->palette();
    if (m_sheet && m_sheet->filterBox.background)
        pal.setColor(QPalette::Base, *m_sheet->filterBox.background);
    if (m_sheet && m_sheet->filterBox.textColor)
        pal.setColor(QPalette::Text, *m_sheet->filterBox.textColor);
    editor->setPalette(pal);
}

void FilterHeader::setStyleSheetData(const GridStyleSheet *sheet)
{
    m_sheet = sheet;
    for (QLineEdit *e : m_editors)
        applyFilterStyle(e);
    QPalette pal = m_caption->palette();
    if (sheet && sheet->filterBox.background)
        pal.setColor(QPalette::Window, *sheet->filterBox.background);
    if (sheet && sheet->filterBox.textColor)
        pal.setColor(QPalette::WindowText, *sheet->filterBox.textColor);
    m_caption->setPalette(pal);
    if (sheet && (sheet->filterBox.font || sheet->content.font))
        m_caption->setFont(displayFont(sheet->filterBox.font.value_or(*sheet->content.font)));
    if (sheet && sheet->header.font)
        setFont(displayFont(*sheet->header.font));
    // The bar right of the last column takes the grid's background.
    QPalette hp = palette();
    if (sheet && sheet->background.background) {
        hp.setColor(QPalette::Window, *sheet->background.background);
        hp.setColor(QPalette::Base, *sheet->background.background);
        hp.setColor(QPalette::Button, *sheet->background.background);
    }
    setPalette(hp);
    setAutoFillBackground(true);
    updateGeometries();
    viewport()->update();
}

void FilterHeader::syncEditorCount()
{
    const size_t wanted = m_filterRowVisible ? size_t(count()) : 0;
    while (m_editors.size() > wanted) {
        delete m_editors.back();
        m_editors.pop_back();
    }
    while (m_editors.size() < wanted) {
        const int column = int(m_editors.size());
        auto *e = new QLineEdit(this);
        e->setFrame(false);
        e->setObjectName(QStringLiteral("filter%1").arg(column));
        applyFilterStyle(e);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this, [this, column](const QString &text) {
            updateCaption();
            emit filterChanged(column, text);
        });
        m_editors.push_back(e);
    }
    updateCaption();
}

void FilterHeader::setFilterText(int column, const QString &text)
{
    if (QLineEdit *e = filterEditor(column))
        e->setText(text);
}

QString FilterHeader::filterText(int column) const
{
    const QLineEdit *e = filterEditor(column);
    return e ? e->text() : QString();
}

QLineEdit *FilterHeader::filterEditor(int column) const
{
    return column >= 0 && size_t(column) < m_editors.size() ? m_editors[size_t(column)] : nullptr;
}

void FilterHeader::clearFilters()
{
    for (QLineEdit *e : m_editors)
        e->clear();
}

bool FilterHeader::isFilterCaptionShown() const
{
    return m_filterRowVisible && !m_caption->isHidden();
}

void FilterHeader::updateCaption()
{
    bool show = m_filterRowVisible;
    for (QLineEdit *e : m_editors)
        if (!e->text().isEmpty() || e->hasFocus())
            show = false;
    m_caption->setVisible(show);
    if (show)
        m_caption->raise();
}

void FilterHeader::updateGeometries()
{
    setViewportMargins(0, 0, 0, m_filterRowVisible ? editorHeight() : 0);
    QHeaderView::updateGeometries();
    adjustEditors();
}

void FilterHeader::adjustEditors()
{
    if (!m_filterRowVisible)
        return;
    const int h = editorHeight();
    const int y = height() - h;
    for (size_t i = 0; i < m_editors.size(); ++i) {
        QLineEdit *e = m_editors[i];
        const int logical = int(i);
        if (isSectionHidden(logical)) {
            e->hide();
            continue;
        }
        e->setGeometry(sectionViewportPosition(logical), y, sectionSize(logical) - 1, h - 1);
        e->show();
    }
    m_caption->setGeometry(0, y, width(), h - 1);
    updateCaption();
}

bool FilterHeader::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_caption && event->type() == QEvent::MouseButtonPress) {
        // Opens the editor of the column under the click.
        const auto *me = static_cast<QMouseEvent *>(event);
        int logical = logicalIndexAt(me->position().toPoint().x());
        if (logical < 0 && count() > 0)
            logical = logicalIndex(0);
        if (QLineEdit *e = filterEditor(logical)) {
            m_caption->hide();
            e->setFocus(Qt::MouseFocusReason);
        }
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        updateCaption();
    return QHeaderView::eventFilter(watched, event);
}

void FilterHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!m_sheet || !m_sheet->header.background) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const GridStyle &s = m_sheet->header;
    const QColor bg = *s.background;
    painter->save();
    painter->fillRect(rect, bg);
    painter->setPen(bg.lighter(135));
    painter->drawLine(rect.topLeft(), rect.bottomLeft());
    painter->setPen(bg.darker(150));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(s.textColor.value_or(Qt::white));
    if (s.font)
        painter->setFont(displayFont(*s.font));
    QRect textRect = rect.adjusted(4, 0, -4, 0);
    if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex) {
        const int cx = rect.right() - 9, cy = rect.center().y();
        QPainterPath arrow;
        if (sortIndicatorOrder() == Qt::AscendingOrder) {
            arrow.moveTo(cx - 4, cy + 2);
            arrow.lineTo(cx + 4, cy + 2);
            arrow.lineTo(cx, cy - 3);
        } else {
            arrow.moveTo(cx - 4, cy - 2);
            arrow.lineTo(cx + 4, cy - 2);
            arrow.lineTo(cx, cy + 3);
        }
        arrow.closeSubpath();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(arrow, s.textColor.value_or(Qt::white));
        textRect.setRight(rect.right() - 16);
    }
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString()
                                 : QString();
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

void FilterHeader::mousePressEvent(QMouseEvent *event)
{
    m_pressSection = -1;
    if (event->button() == Qt::LeftButton && viewport()->cursor().shape() != Qt::SplitHCursor) {
        m_pressSection = logicalIndexAt(event->position().toPoint());
        m_pressPos = event->position().toPoint();
    }
    QHeaderView::mousePressEvent(event);
}

void FilterHeader::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_groupDrag && m_pressSection >= 0 && (event->buttons() & Qt::LeftButton) && pos.y() < -4
        && (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        const int section = m_pressSection;
        m_pressSection = -1;
        // End the header's own press (far from any section, so that it
        // neither sorts nor moves anything), then hand the column over.
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-10000, -10000),
                            event->globalPosition(), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QHeaderView::mouseReleaseEvent(&release);
        auto *mime = new QMimeData;
        mime->setData(QString::fromLatin1(columnMimeType),
                      QByteArray::number(quintptr(m_owner)) + ":h:"
                          + QByteArray::number(section));
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        const QRect r(sectionViewportPosition(section), 0, sectionSize(section),
                      QHeaderView::sizeHint().height());
        drag->setPixmap(viewport()->grab(r));
        drag->exec(Qt::MoveAction);
        return;
    }
    QHeaderView::mouseMoveEvent(event);
}

void FilterHeader::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressSection = -1;
    QHeaderView::mouseReleaseEvent(event);
}

namespace {
// Columns coming back from the group-by box of the same grid.
int droppedColumn(const QMimeData *mime, const void *owner)
{
    const QByteArray data = mime->data(QString::fromLatin1(FilterHeader::columnMimeType));
    const QList<QByteArray> parts = data.split(':');
    if (parts.size() != 3 || parts[0].toULongLong() != quintptr(owner) || parts[1] != "g")
        return -1;
    return parts[2].toInt();
}
} // namespace

void FilterHeader::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedColumn(event->mimeData(), m_owner) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void FilterHeader::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedColumn(event->mimeData(), m_owner) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void FilterHeader::dropEvent(QDropEvent *event)
{
    const int column = droppedColumn(event->mimeData(), m_owner);
    if (column < 0)
        return;
    event->acceptProposedAction();
    emit ungroupDropped(column);
}
