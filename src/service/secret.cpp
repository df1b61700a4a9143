#include "service/secret.h"

#include <string.h>

void Secret::wipe(QByteArray& bytes) {
    // Literal and raw data have no buffer of their own, and may be read-only.
    if (bytes.data_ptr().isMutable() && !bytes.isEmpty())
        ::explicit_bzero(const_cast<char*>(bytes.constData()), std::size_t(bytes.size()));
    bytes.clear();
}
