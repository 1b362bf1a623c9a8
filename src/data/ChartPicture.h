#pragma once

// Charts as pictures: the program's stand-in for the metafiles of the
// report and for "save picture" on a chart.
//
// A chart is drawn off-screen at its on-screen size (the view's size), at
// twice the resolution for sharpness, so a window does not have to be
// visible to export its chart. Files are written through QSaveFile: a failed
// write leaves any previous file intact and throws FileError.

#include <QImage>
#include <QSize>
#include <QString>

class QAction;
class QChart;
class QChartView;

// The chart drawn into an image of size*scale pixels (device pixel ratio
// `scale`, resolution 96*scale dpi) on a white ground. The chart is laid out
// for `size` first.
QImage RenderChart(QChart* chart, const QSize& size, qreal scale = 2.0);

// PNG of the view's chart at the view's size, drawn at scale 2.
void SaveChartPicture(QChartView* view, const QString& fileName);
void SaveChartPicture(QChart* chart, const QSize& size, const QString& fileName);

// SVG drawing of the view's chart at the view's size.
void SaveChartSvg(QChartView* view, const QString& fileName);

// Adds "Shrani sliko ..." to the view's context menu (right-click). It asks
// for a file name through Dialogs() and writes SVG when the name ends in
// ".svg", PNG otherwise. Returns the action (objectName
// "Action_SavePicture").
QAction* AddSavePictureAction(QChartView* view);

// The filter and default extension of that save dialog.
extern const QString ChartPictureFilter;
extern const QString ChartPictureExtension;
