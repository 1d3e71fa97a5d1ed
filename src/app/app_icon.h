#pragma once

#include <QIcon>
#include <QPixmap>

namespace kestrel {

// The application icon: a camera in a kestrel's rufous and blue-grey with a
// flash mark. It is the scalable icon that the desktop entry names, built in
// as a resource and rendered at 16, 32, 48 and 64 pixels.
QIcon MakeAppIcon();

// One size of it, size x size pixels on a transparent background; a null
// pixmap when the built-in picture cannot be read.
QPixmap RenderAppIcon(int size);

} // namespace kestrel
