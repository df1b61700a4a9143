#pragma once

#include <QByteArray>

// A password lives in memory for one run only. Wiping it overwrites the bytes
// themselves, shared by every copy of the QByteArray, and not a detached copy
// of them, which is what any writing member function would give.
namespace Secret {

// Overwrites the bytes every copy shares, then empties this one.
void wipe(QByteArray& bytes);

} // namespace Secret
