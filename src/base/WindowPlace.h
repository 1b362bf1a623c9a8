#pragma once

// Where a window goes on the screens there are now, when it comes back to a
// place saved on other screens (or on a larger one).

#include <QList>
#include <QRect>

// `saved` moved onto the screen that holds the largest part of it (the
// first screen when none holds any part), no larger than that screen and
// wholly within it. `screens` are the screens' available areas; with none,
// `saved` is returned as it is.
QRect PlaceWithinScreens(const QRect& saved, const QList<QRect>& screens);
