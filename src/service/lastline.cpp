#include "service/lastline.h"

namespace {

// A tool that never ends a line must not make the unfinished one grow without
// end; a conclusion is shorter than this.
constexpr qsizetype longestLine = 4096;

} // namespace

void LastLine::feed(QStringView text) {
    const qsizetype lastBreak = text.lastIndexOf(u'\n');
    if (lastBreak < 0) {
        m_unfinished += text.first(std::min(text.size(), longestLine - m_unfinished.size()));
        return;
    }
    // Walks back from the last break to the nearest line with some text.
    qsizetype lineEnd = lastBreak;
    for (;;) {
        const qsizetype lineStart = lineEnd > 0 ? text.lastIndexOf(u'\n', lineEnd - 1) + 1 : 0;
        const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
        const QString whole = lineStart == 0 ? m_unfinished + line.toString() : line.toString();
        if (!whole.trimmed().isEmpty()) {
            m_line = whole.trimmed();
            break;
        }
        if (lineStart == 0)
            break;
        lineEnd = lineStart - 1;
    }
    m_unfinished = text.sliced(lastBreak + 1).first(
        std::min(text.size() - lastBreak - 1, longestLine)).toString();
}

void LastLine::finish() {
    if (!m_unfinished.trimmed().isEmpty())
        m_line = m_unfinished.trimmed();
    m_unfinished.clear();
}
