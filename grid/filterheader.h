#pragma once

#include <QHeaderView>
#include <QPointer>
#include <vector>

class QLabel;
class QLineEdit;
struct GridStyleSheet;

// Column headers in the style sheet's colours, with an optional filter row
// under the labels: one editor per column, kept under its section as
// sections move, resize and scroll. Dragging a header up out of the bar
// offers the column to the group-by box; a column dropped here is ungrouped.
class FilterHeader : public QHeaderView
{
    Q_OBJECT
public:
    static const char *const columnMimeType;

    explicit FilterHeader(QWidget *parent = nullptr);

    void setFilterRowVisible(bool visible);
    bool isFilterRowVisible() const { return m_filterRowVisible; }
    // Sets an editor's text; the change is announced like a typed one.
    void setFilterText(int column, const QString &text);
    QString filterText(int column) const;
    QLineEdit *filterEditor(int column) const;
    // True while the "Click here to define a filter" caption shows.
    bool isFilterCaptionShown() const;
    void clearFilters();

    // Drags carry "owner:h:column"; only the same owner's box takes them.
    void setGroupDragEnabled(bool enabled, const void *owner)
    {
        m_groupDrag = enabled;
        m_owner = owner;
    }
    void setStyleSheetData(const GridStyleSheet *sheet);

    QSize sizeHint() const override;

public slots:
    void adjustEditors();

signals:
    void filterChanged(int column, const QString &text);
    void ungroupDropped(int column);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void syncEditorCount();
    void updateCaption();
    int editorHeight() const;
    void applyFilterStyle(QLineEdit *editor) const;

    bool m_filterRowVisible = false;
    std::vector<QLineEdit *> m_editors;
    QLabel *m_caption = nullptr;
    const GridStyleSheet *m_sheet = nullptr;
    bool m_groupDrag = false;
    const void *m_owner = nullptr;
    int m_pressSection = -1;
    QPoint m_pressPos;
};
