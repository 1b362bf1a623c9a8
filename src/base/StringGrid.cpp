#include "base/StringGrid.h"

#include <QHeaderView>
#include <QScopedValueRollback>

StringGrid::StringGrid(int columnCount, int rowCount, int columnWidth, int rowHeight,
                       QWidget* parent)
    : QTableWidget(rowCount, columnCount, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(columnWidth);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    const int frame = 2 * frameWidth();
    setFixedSize(columnCount * columnWidth + frame, rowCount * rowHeight + frame);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        if (!quiet_ && row >= 0 && column >= 0)
            emit SelectCell(column, row);
    });
    connect(this, &QTableWidget::cellPressed, this,
            [this](int row, int column) { emit SelectCell(column, row); });
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int, int) { emit DblClick(); });
}

void StringGrid::focusInEvent(QFocusEvent* event)
{
    const QScopedValueRollback quiet(quiet_, true);
    QTableWidget::focusInEvent(event);
}

void StringGrid::mousePressEvent(QMouseEvent* event)
{
    const QScopedValueRollback quiet(quiet_, true);
    QTableWidget::mousePressEvent(event);
}

QString StringGrid::Cell(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void StringGrid::SetCell(int column, int row, const QString& text)
{
    QTableWidgetItem* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        setItem(row, column, cell);
    }
    cell->setText(text);
}
