#include "platform/DecodeService.h"

#include "platform/Context.h"
#include "platform/ImageFileLookup.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace {

std::atomic<std::size_t> s_liveRequests { 0 };

// Failed decodes cost no bytes, so the number of pictures kept is bounded too.
constexpr std::size_t kMaxKept = 64;

}

struct DecodeService::Request {
    Request() { ++s_liveRequests; }
    ~Request() { --s_liveRequests; }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    std::uint64_t number { 0 };
    std::vector<ImageFileCandidate> candidates;
    DrawnSize drawnSize;
    std::uint64_t generation { 0 };
};

DecodeService::DecodeService()
    : DecodeService(Configuration {})
{
}

DecodeService::DecodeService(Configuration configuration)
    : m_configuration(std::move(configuration))
{
    int count = std::max(1, m_configuration.workerCount);
    try {
        for (int i = 0; i < count; ++i)
            m_workers.emplace_back([this] { work(); });
    } catch (...) {
        // The destructor does not run for a constructor that throws: stop what did start.
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_requestQueued.notify_all();
        for (auto& worker : m_workers)
            worker.join();
        throw;
    }
}

DecodeService::~DecodeService()
{
    std::deque<std::unique_ptr<Request>> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        dropped.swap(m_queue);
    }
    m_requestQueued.notify_all();
    for (auto& worker : m_workers)
        worker.join();
}

std::size_t DecodeService::liveRequestCount()
{
    return s_liveRequests.load();
}

std::uint64_t DecodeService::prepareImage(const std::string& devicePath, DrawnSize drawnSize)
{
    PlatformContext& context = PlatformContext::current();
    auto request = std::make_unique<Request>();
    request->candidates = imageFileCandidates(context.filesystem(), devicePath, context.screenScale());
    request->drawnSize = std::move(drawnSize);
    // Destroyed after the lock is let go.
    std::unique_ptr<Request> dropped;
    std::uint64_t number = 0;
    {
        std::lock_guard lock(m_mutex);
        ++m_statistics.requested;
        request->number = ++m_lastRequest;
        number = request->number;
        if (request->candidates.empty() || !request->drawnSize) {
            ++m_statistics.dropped;
            dropped = std::move(request);
            return number;
        }
        request->generation = m_generation;
        m_pending.insert(number);
        m_queue.push_back(std::move(request));
        if (m_queue.size() > std::max<std::size_t>(1, m_configuration.maxQueued)) {
            dropped = std::move(m_queue.front());
            m_queue.pop_front();
            m_pending.erase(dropped->number);
            ++m_statistics.dropped;
        }
    }
    m_requestQueued.notify_one();
    return number;
}

bool DecodeService::isPending(std::uint64_t request) const
{
    std::lock_guard lock(m_mutex);
    return m_pending.contains(request);
}

void DecodeService::cancelAll()
{
    std::deque<std::unique_ptr<Request>> dropped;
    std::map<Key, Entry> released;
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_statistics.dropped += m_queue.size();
        for (const auto& request : m_queue)
            m_pending.erase(request->number);
        dropped.swap(m_queue);
        // Decodes under way keep their entries until they finish, so a worker always finds its own.
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            auto next = std::next(it);
            if (!it->second.decoding)
                released.insert(m_entries.extract(it));
            it = next;
        }
        m_readyBytes = 0;
    }
    m_decodeFinished.notify_all();
}

std::optional<DecodeService::Found> DecodeService::takeDecoded(const FileIdentity& identity, PixelSize size)
{
    const Key key { identity, size };
    const auto deadline = std::chrono::steady_clock::now() + m_configuration.drawWaitLimit;
    std::unique_lock lock(m_mutex);
    bool waited = false;
    for (;;) {
        auto found = m_entries.find(key);
        if (found == m_entries.end() || found->second.generation != m_generation) {
            ++m_statistics.missed;
            return std::nullopt;
        }
        Entry& entry = found->second;
        if (!entry.decoding) {
            entry.lastUse = ++m_useCounter;
            ++m_statistics.taken;
            if (waited)
                ++m_statistics.waited;
            return Found { entry.pixels };
        }
        // NOTE: The wait is bounded: a worker stuck on a hung file system must not hold the frame
        // longer than the UI thread's own read of the same file would.
        waited = true;
        bool settled = m_decodeFinished.wait_until(lock, deadline, [&] {
            auto again = m_entries.find(key);
            return again == m_entries.end() || !again->second.decoding || again->second.generation != m_generation;
        });
        if (!settled) {
            ++m_statistics.waitsTimedOut;
            ++m_statistics.missed;
            return std::nullopt;
        }
    }
}

void DecodeService::keep(const FileIdentity& identity, PixelSize size, std::shared_ptr<const DecodedImage> pixels)
{
    std::lock_guard lock(m_mutex);
    const Key key { identity, size };
    auto found = m_entries.find(key);
    if (found != m_entries.end() && found->second.generation == m_generation)
        return;
    if (found != m_entries.end())
        m_entries.erase(found); // Made before a cancel; its worker will find the fresh entry and leave it.
    insertReady(key, std::move(pixels));
}

DecodeService::Statistics DecodeService::statistics() const
{
    std::lock_guard lock(m_mutex);
    return m_statistics;
}

std::size_t DecodeService::queuedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

std::size_t DecodeService::keptCount() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

std::size_t DecodeService::keptBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_readyBytes;
}

void DecodeService::work()
{
    // NOTE: At the UI thread's own priority. A lower one starves the worker on a busy machine until
    // the step that needs its photo comes and waits for it; a host asks while nothing moves instead.
    for (;;) {
        std::unique_ptr<Request> request;
        {
            std::unique_lock lock(m_mutex);
            m_requestQueued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            request = std::move(m_queue.front());
            m_queue.pop_front();
        }
        decode(*request);
        {
            std::lock_guard lock(m_mutex);
            m_pending.erase(request->number);
        }
    }
}

void DecodeService::decode(Request& request)
{
    // The file is opened and identified here, off the UI thread; a file that is gone, or that holds
    // no picture, gives the widget no image at all, so there is nothing to prepare.
    auto opened = openImageFile(request.candidates);
    if (!opened)
        return;
    // The size UIImage::size() gives the same file.
    CGSize points { float(opened->header.orientedWidth()) / opened->scale, float(opened->header.orientedHeight()) / opened->scale };
    std::optional<PixelSize> size;
    try {
        size = request.drawnSize(points);
    } catch (const std::bad_alloc&) {
        return;
    }
    if (!size || size->width <= 0 || size->height <= 0)
        return;
    const Key key { opened->file.identity(), *size };
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping || request.generation != m_generation) {
            ++m_statistics.dropped;
            return;
        }
        auto found = m_entries.find(key);
        if (found != m_entries.end() && found->second.generation == m_generation) {
            found->second.lastUse = ++m_useCounter;
            ++m_statistics.alreadyKept;
            return;
        }
        Entry entry;
        entry.generation = m_generation;
        m_entries.insert_or_assign(key, entry);
    }

    if (m_configuration.decodeStarting)
        m_configuration.decodeStarting();
    std::shared_ptr<const DecodedImage> pixels;
    try {
        if (auto decoded = decodeImage(opened->file, size->width, size->height))
            pixels = std::make_shared<const DecodedImage>(std::move(*decoded));
    } catch (const std::bad_alloc&) {
        pixels.reset(); // Kept as a picture that cannot be decoded, as on the UI thread.
    }

    {
        std::lock_guard lock(m_mutex);
        ++m_statistics.decodedAhead;
        auto found = m_entries.find(key);
        // Another entry under this key (made by keep() after a cancel) is left as it is.
        if (found != m_entries.end() && found->second.decoding) {
            if (found->second.generation == m_generation) {
                m_entries.erase(found);
                insertReady(key, std::move(pixels));
            } else {
                m_entries.erase(found);
            }
        }
    }
    m_decodeFinished.notify_all();
}

void DecodeService::insertReady(const Key& key, std::shared_ptr<const DecodedImage> pixels)
{
    Entry entry;
    entry.decoding = false;
    entry.bytes = pixels ? pixels->pixels.footprint() : 0;
    entry.pixels = std::move(pixels);
    entry.lastUse = ++m_useCounter;
    entry.generation = m_generation;
    m_readyBytes += entry.bytes;
    m_entries.insert_or_assign(key, std::move(entry));
    evictOverBudget(key);
}

void DecodeService::evictOverBudget(const Key& newest)
{
    // NOTE: Pixels an image on screen still holds stay alive through it; the budget counts what the
    // cache holds, which is a few pictures beyond those.
    while (m_readyBytes > m_configuration.budgetBytes || m_entries.size() > kMaxKept) {
        auto oldest = m_entries.end();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->second.decoding || it->first == newest)
                continue;
            if (oldest == m_entries.end() || it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        }
        if (oldest == m_entries.end())
            return;
        m_readyBytes -= oldest->second.bytes;
        m_entries.erase(oldest);
    }
}
