#include "base/WindowPlace.h"

#include <algorithm>

QRect PlaceWithinScreens(const QRect& saved, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return saved;
    const QRect* best = &screens.front();
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        const QRect common = screen.intersected(saved);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    QRect placed(saved.topLeft(), saved.size().boundedTo(best->size()));
    placed.moveLeft(std::clamp(placed.left(), best->left(), best->right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), best->top(), best->bottom() + 1 - placed.height()));
    return placed;
}
