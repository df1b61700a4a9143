#include "writebehind.h"

#include "piecewrite.h"

#include <system_error>

WriteBehind::WriteBehind(int fd, std::int64_t fileSize)
    : m_fd(fd)
    , m_writeback(fd, fileSize) {
    m_filling.bytes.reserve(slotSize);
    try {
        m_thread = std::thread([this] { writeQueued(); });
    } catch (const std::system_error&) {
        // No thread: put() writes each slot itself.
    }
}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool WriteBehind::put(const char* data, std::size_t size, off_t offset) {
    const bool continues = off_t(m_filling.offset + m_filling.bytes.size()) == offset;
    if (!m_filling.bytes.empty() && (!continues || m_filling.bytes.size() + size > slotSize))
        hand(std::move(m_filling));
    if (m_filling.bytes.empty())
        m_filling.offset = offset;
    m_filling.bytes.insert(m_filling.bytes.end(), data, data + size);
    std::lock_guard lock(m_mutex);
    return m_error == 0;
}

int WriteBehind::finish() {
    if (!m_filling.bytes.empty())
        hand(std::move(m_filling));
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queued.empty() && !m_writing; });
    return m_error;
}

void WriteBehind::hand(Slot&& slot) {
    if (!m_thread.joinable()) {
        const int error = write(slot);
        std::lock_guard lock(m_mutex);
        if (m_error == 0)
            m_error = error;
    } else {
        std::unique_lock lock(m_mutex);
        // The slots in flight bound the memory; wait for one to come back.
        m_changed.wait(lock, [this] {
            return m_queued.size() + (m_writing ? 1 : 0) < slotCount - 1 || m_error != 0;
        });
        if (m_error == 0)
            m_queued.push_back(std::move(slot));
        m_changed.notify_all();
    }
    std::lock_guard lock(m_mutex);
    if (m_spare.empty()) {
        m_filling = Slot{};
        m_filling.bytes.reserve(slotSize);
    } else {
        m_filling = std::move(m_spare.back());
        m_spare.pop_back();
        m_filling.bytes.clear();
    }
}

void WriteBehind::writeQueued() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queued.empty() || m_closing; });
        if (m_queued.empty())
            return;
        Slot slot = std::move(m_queued.front());
        m_queued.erase(m_queued.begin());
        m_writing = true;
        lock.unlock();
        const int error = write(slot);
        lock.lock();
        m_writing = false;
        if (m_error == 0)
            m_error = error;
        if (m_error != 0)
            m_queued.clear();
        m_spare.push_back(std::move(slot));
        m_changed.notify_all();
    }
}

int WriteBehind::write(const Slot& slot) {
    if (const int error = writePiecewise(m_fd, slot.bytes.data(), slot.bytes.size(), slot.offset))
        return error;
    m_writeback.writtenUpTo(slot.offset + off_t(slot.bytes.size()));
    return 0;
}
