#pragma once

#include <QString>

namespace tessary::desktop {

// Where the shipped sounds are for a binary in `applicationDirectory`: an installed copy
// finds them at "../share/tessary/sounds" beside its bin directory; the binary the build made
// (in `buildBinaryDirectory`) uses the build's `buildSoundsDirectory`. Anything else looks
// for the installed layout, so a copy never reads a build tree it does not belong to.
QString soundsDirectory(const QString &applicationDirectory, const QString &buildBinaryDirectory,
                        const QString &buildSoundsDirectory);

// Whether the desktop named by $XDG_CURRENT_DESKTOP ("ubuntu:GNOME", "KDE") draws status
// icons monochrome in its panel's own colour, so the tray should name our symbolic icons
// instead of giving coloured pixels.
bool prefersSymbolicTrayIcons(const QString &currentDesktop);

} // namespace tessary::desktop
