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
    // A cell was selected: clicked (also the current cell again) or reached
    // with the arrow keys. Moving the focus into the grid selects nothing.
    void SelectCell(int column, int row);
    void DblClick();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Inside a focus change or a mouse press: the current cell changes, but
    // the press reports the cell itself and a focus change reports none.
    bool quiet_ = false;
};
