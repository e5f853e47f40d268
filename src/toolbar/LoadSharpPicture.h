#pragma once
// Pictures of the toolbar at the screen's density: on a screen of ratio 2 or more the "@2x"
// file beside the named one is taken when it exists, marked with its ratio so that it is drawn
// at the same logical size as the plain one.
#include <QImage>
#include <QString>

// "name.png" -> "name@2x.png"; a path without the ".png" ending gets "@2x" appended.
QString SharpPicturePath(const QString& path);
QImage LoadSharpPicture(const QString& path, qreal devicePixelRatio);
