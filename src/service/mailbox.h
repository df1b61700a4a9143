#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

// Hands values from one thread to another in order. post() never waits for
// the reader, only for the lock, and tells whether the box was empty, so the
// writer wakes the reader once per batch rather than once per value.
//
// Qt's own cross-thread event queue would carry the values just as well, but
// its locks live in uninstrumented Qt code, where ThreadSanitizer cannot see
// them; with this box every handoff between our threads is visible to it.
template<typename T> class Mailbox {
public:
    [[nodiscard]] bool post(T value) {
        std::lock_guard lock(m_mutex);
        m_values.push_back(std::move(value));
        return m_values.size() == 1;
    }

    std::vector<T> takeAll() {
        std::lock_guard lock(m_mutex);
        std::vector<T> values(std::make_move_iterator(m_values.begin()),
                              std::make_move_iterator(m_values.end()));
        m_values.clear();
        return values;
    }

    // The oldest value, if any. A reader that takes values one at a time
    // leaves the rest in the box, so the writer does not wake it again.
    std::optional<T> takeFirst() {
        std::lock_guard lock(m_mutex);
        if (m_values.empty())
            return std::nullopt;
        T value = std::move(m_values.front());
        m_values.pop_front();
        return value;
    }

private:
    std::mutex m_mutex;
    std::deque<T> m_values;
};
