#include "smallfilewriters.h"

#include "entrywriter.h"
#include "reporter.h"
#include "stoprequest.h"

#include <system_error>
#include <utility>

SmallFileWriters::SmallFileWriters(unsigned threads, unsigned firstWriter, int destinationFd,
                                   const std::string& temporaryPrefix, mode_t umask,
                                   Reporter& reporter)
    : m_reporter(reporter) {
    for (unsigned thread = 0; thread < threads; ++thread) {
        const std::string prefix = temporaryPrefix + std::to_string(firstWriter + thread) + "-";
        try {
            m_threads.emplace_back([=, this] {
                EntryWriter writer(destinationFd, prefix, umask);
                work(writer);
            });
        } catch (const std::system_error&) {
            break; // Those that started share the files.
        }
    }
}

SmallFileWriters::~SmallFileWriters() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool SmallFileWriters::hand(EntryDetails& entry, std::vector<char>& data) {
    {
        std::lock_guard lock(m_mutex);
        if (m_threads.empty() || m_files.size() >= mostQueuedFiles ||
            m_queuedBytes + data.size() > mostQueuedBytes)
            return false;
        m_queuedBytes += data.size();
        m_files.push_back(File{std::move(entry), std::move(data)});
    }
    m_queued.notify_one();
    return true;
}

void SmallFileWriters::work(EntryWriter& writer) {
    for (;;) {
        File file;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [this] { return !m_files.empty() || m_closing; });
            if (m_files.empty())
                return;
            file = std::move(m_files.front());
            m_files.pop_front();
            m_queuedBytes -= file.data.size();
        }
        // A stop leaves out what is still queued, as the reader leaves out
        // what it has not read.
        if (StopRequest::isRequested())
            continue;
        if (const auto failure = writer.writeFile(file.entry, file.data))
            m_reporter.entryFailed(file.entry.path, *failure);
        else
            m_reporter.entryDone(Reporter::Outcome::Extracted, file.entry.path);
    }
}
