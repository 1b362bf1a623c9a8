#include "data/ChartPicture.h"

#include "base/ErrorGuard.h"
#include "base/Errors.h"
#include "base/TextFile.h"
#include "base/UserDialogs.h"

#include <QAction>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <QSvgGenerator>

#include <memory>

const QString ChartPictureFilter =
    QStringLiteral("Slika PNG (*.png)|*.png|Risba SVG (*.svg)|*.svg|All files|*.*");
const QString ChartPictureExtension = QStringLiteral("png");

namespace {

// Draws the chart, laid out for `size`, into `painter` over `target`.
void DrawChart(QChart* chart, const QSize& size, QPainter& painter, const QRectF& target)
{
    // A chart outside any view (or in a view never shown) is put into a scene
    // of its own for the drawing, and laid out for the size right now rather
    // than at the next turn of the event loop.
    std::unique_ptr<QGraphicsScene> ownScene;
    QGraphicsScene* scene = chart->scene();
    if (!scene) {
        ownScene = std::make_unique<QGraphicsScene>();
        ownScene->addItem(chart);
        scene = ownScene.get();
    }
    if (chart->size() != QSizeF(size))
        chart->resize(size);
    if (chart->layout())
        chart->layout()->activate();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    scene->render(&painter, target, QRectF(chart->pos(), QSizeF(size)), Qt::IgnoreAspectRatio);
    if (ownScene)
        ownScene->removeItem(chart);
}

QSize ViewSize(QChartView* view)
{
    return view->size().isEmpty() ? QSize(400, 300) : view->size();
}

} // namespace

QImage RenderChart(QChart* chart, const QSize& size, qreal scale)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    // The resolution says how large the picture is meant to be shown: its
    // on-screen size at 96 dpi (a word processor inserts it at that size).
    const int dotsPerMetre = qRound(scale * 96 / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawChart(chart, size, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

void SaveChartPicture(QChart* chart, const QSize& size, const QString& fileName)
{
    const QImage image = RenderChart(chart, size, 2.0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw FileError(
            QStringLiteral("%1: slike ni mogoče pripraviti").arg(fileName).toStdString());
    WriteFileBytes(fileName, bytes);
}

void SaveChartPicture(QChartView* view, const QString& fileName)
{
    SaveChartPicture(view->chart(), ViewSize(view), fileName);
}

void SaveChartSvg(QChartView* view, const QString& fileName)
{
    const QSize size = ViewSize(view);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(view->chart()->title());
    {
        QPainter painter(&generator);
        DrawChart(view->chart(), size, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    WriteFileBytes(fileName, bytes);
}

QAction* AddSavePictureAction(QChartView* view)
{
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* action = new QAction(QStringLiteral("Shrani sliko ..."), view);
    action->setObjectName(QStringLiteral("Action_SavePicture"));
    view->addAction(action);
    QObject::connect(action, &QAction::triggered, view, [view] {
        Guard(view, [view] {
            FileDialogRequest request;
            request.Caption = QStringLiteral("Shrani sliko");
            request.Filter = ChartPictureFilter;
            request.DefaultExtension = ChartPictureExtension;
            const QString fileName = Dialogs().SaveFileName(view, request);
            if (fileName.isEmpty())
                return;
            if (QFileInfo(fileName).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) ==
                0)
                SaveChartSvg(view, fileName);
            else
                SaveChartPicture(view, fileName);
        });
    });
    return action;
}
