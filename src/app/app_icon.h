#pragma once

#include <QIcon>
#include <QPixmap>

namespace kestrel {

// The application icon, drawn at start-up: a camera in a kestrel's rufous
// and blue-grey with a flash mark, at 16, 32, 48 and 64 pixels.
QIcon MakeAppIcon();

// One size of it, size x size pixels on a transparent background.
QPixmap DrawAppIcon(int size);

} // namespace kestrel
