#pragma once

#include <QString>

// The names under which the app meets its desktop: the desktop entry's id,
// which is also its name on the session bus, and the object path that name
// implies there.
namespace SessionIds {

inline QString applicationId() {
    return QStringLiteral("org.kestrune.Kestrune");
}

inline QString applicationPath() {
    return QStringLiteral("/org/kestrune/Kestrune");
}

} // namespace SessionIds
