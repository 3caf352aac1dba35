#pragma once

#include "platform/FileIdentity.h"
#include "platform/Geometry.h"
#include "platform/ImageDecoder.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct ImageFileCandidate;

// Pictures decoded before their first draw, off the UI thread, for a host that asks for them. A host
// installs one in its platform context (PlatformContext::setDecodeService); without one, images decode
// on the UI thread when first drawn, and nothing outlives its image.
//
// Decoded pictures are kept in a small cache keyed by the file's identity and the pixel size asked
// for, within a byte budget, least recently used first out. Workers (one by default) fill it from a
// short queue of requests. An image drawn on the UI thread takes its pixels from the cache, waits for
// a decode of the same file and size already under way (at most drawWaitLimit), or decodes as it
// would without the service and offers the result to the cache. A file replaced or rewritten since the request has another identity, so it is decoded
// afresh. Workers read files through the same decoders and limits as the UI thread, and a picture
// they cannot decode is kept as one that cannot be decoded: the image draws nothing either way.
//
// Every member is called on the UI thread, except where noted.
class DecodeService {
public:
    // The size in pixels a picture of `pointSize` points will be drawn at, or nothing to skip it.
    // NOTE: Runs on a worker thread: it must read only what it holds by value.
    using DrawnSize = std::function<std::optional<PixelSize>(CGSize pointSize)>;

    struct Configuration {
        // Memory of decoded pixels kept: a photo filling the panel's picture frame is about 0.9 MiB
        // at scale 2 and 2.1 MiB at scale 3, held in 2 and 4 MiB of whole huge pages, so two or more
        // of those beyond the ones on screen.
        std::size_t budgetBytes { 8u << 20 };
        int workerCount { 1 };
        // Requests not yet started beyond this many are dropped, oldest first.
        std::size_t maxQueued { 4 };
        // How long a draw waits for a decode under way before decoding the file itself.
        std::chrono::milliseconds drawWaitLimit { 1000 };
        // Called on the worker just before each decode; tests hold a decode under way with it.
        std::function<void()> decodeStarting;
    };

    // What the service has done since it started.
    struct Statistics {
        std::uint64_t requested { 0 }; // prepareImage calls.
        std::uint64_t dropped { 0 }; // Requests dropped from a full queue or cancelled before they started.
        std::uint64_t decodedAhead { 0 }; // Decodes the workers finished, pictures or failures.
        std::uint64_t alreadyKept { 0 }; // Requests for a picture already kept or being decoded.
        std::uint64_t taken { 0 }; // Draws served from the cache.
        std::uint64_t waited { 0 }; // Of those, draws that waited for a decode under way.
        std::uint64_t waitsTimedOut { 0 };
        std::uint64_t missed { 0 }; // Draws that found nothing and decoded themselves.
    };

    explicit DecodeService(Configuration);
    DecodeService();
    // Drops what is queued and joins the workers once the decodes under way have finished.
    ~DecodeService();
    DecodeService(const DecodeService&) = delete;
    DecodeService& operator=(const DecodeService&) = delete;

    // Asks for the picture UIImage::imageWithContentsOfFile(devicePath) would read, at the size
    // `drawnSize` gives for it. Does no file I/O on the calling thread. Returns the request's number.
    std::uint64_t prepareImage(const std::string& devicePath, DrawnSize drawnSize);
    // Whether that request is still queued or being decoded.
    bool isPending(std::uint64_t request) const;
    // Drops every queued request and every kept picture; a decode under way finishes on its worker and
    // is thrown away.
    void cancelAll();

    // For UIImage, on the UI thread. The pixels for the file with this identity at this size: kept,
    // or waited for while a worker decodes them; `pixels` is null for a picture that cannot be
    // decoded. Nothing when neither, and then the caller decodes.
    struct Found {
        std::shared_ptr<const DecodedImage> pixels;
    };
    std::optional<Found> takeDecoded(const FileIdentity&, PixelSize);
    // Offers pixels the UI thread decoded itself, so that stepping back to them costs nothing.
    void keep(const FileIdentity&, PixelSize, std::shared_ptr<const DecodedImage> pixels);

    Statistics statistics() const;
    std::size_t queuedCount() const;
    std::size_t keptCount() const; // Pictures kept, decoded or being decoded.
    std::size_t keptBytes() const;
    // Requests held anywhere (queued or on a worker), across every service; tests use it to prove that
    // cancelling and quitting leave nothing behind.
    static std::size_t liveRequestCount();

private:
    struct Request;
    struct Key {
        FileIdentity identity;
        PixelSize size;
        auto operator<=>(const Key&) const = default;
    };
    struct Entry {
        bool decoding { true };
        std::shared_ptr<const DecodedImage> pixels; // Null while decoding, and for a failed decode.
        std::size_t bytes { 0 };
        std::uint64_t lastUse { 0 };
        std::uint64_t generation { 0 }; // cancelAll() calls before it was made.
    };

    void work();
    void decode(Request&);
    void insertReady(const Key&, std::shared_ptr<const DecodedImage>);
    void evictOverBudget(const Key& keep);

    const Configuration m_configuration;
    mutable std::mutex m_mutex;
    std::condition_variable m_requestQueued;
    std::condition_variable m_decodeFinished;
    // NOTE: Guarded by m_mutex.
    std::deque<std::unique_ptr<Request>> m_queue;
    std::map<Key, Entry> m_entries;
    std::size_t m_readyBytes { 0 };
    std::uint64_t m_useCounter { 0 };
    std::uint64_t m_generation { 0 };
    std::uint64_t m_lastRequest { 0 };
    std::set<std::uint64_t> m_pending; // Requests queued or on a worker.
    bool m_stopping { false };
    Statistics m_statistics;
    std::vector<std::thread> m_workers; // Joined by the destructor before any member goes.
};
