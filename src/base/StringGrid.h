#pragma once

// A grid of text cells addressed as (column, row), without header rows or
// columns, sized to show every cell without scrolling. Cells are edited by
// typing, F2 or a click on the selected cell; a double-click does not start
// editing, so that it stays free for the window's own use.

#include <QTableWidget>

class StringGrid : public QTableWidget {
    Q_OBJECT
public:
    StringGrid(int columnCount, int rowCount, int columnWidth, int rowHeight,
               QWidget* parent = nullptr);

    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);

signals:
    // A cell became the selected one (by click or keyboard).
    void SelectCell(int column, int row);
    void DblClick();
};
