#pragma once

#include <mutex>
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
        return std::exchange(m_values, {});
    }

private:
    std::mutex m_mutex;
    std::vector<T> m_values;
};
