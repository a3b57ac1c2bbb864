#include "sms/sms_xml_piece_parsers.h"

#include <new>
#include <system_error>
#include <utility>

namespace {

constexpr std::string_view kPieceOpen = "<smses>";
constexpr std::string_view kPieceClose = "</smses>";
// Expat copies what it is given into a buffer of its own; small feeds keep that buffer small.
constexpr std::size_t kFeedBytes = 1 << 16;
// More than the pieces ever in flight; room for them is made at the start, so that keeping a
// spare never allocates (a worker thread has nowhere to send an exception).
constexpr std::size_t kMostSpares = 16;

}  // namespace

bool ParseSmsXmlPiece(std::string_view content, SmsXmlBatch& batch) {
    SmsXmlParser parser;
    parser.ReuseBatch(std::move(batch));
    bool ok = parser.Feed(kPieceOpen, false);
    for (std::size_t at = 0; ok && at < content.size(); at += kFeedBytes)
        ok = parser.Feed(content.substr(at, kFeedBytes), false);
    ok = ok && parser.Feed(kPieceClose, true);
    if (ok) batch = parser.TakeBatch();
    return ok;
}

SmsXmlPieceParsers::SmsXmlPieceParsers(int threads) {
    spareContents_.reserve(kMostSpares);
    spareBatches_.reserve(kMostSpares);
    try {
        for (int i = 0; i < threads; ++i)
            threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Fewer threads, or none: the pieces are still parsed, by those that started or by Add.
    }
}

SmsXmlPieceParsers::~SmsXmlPieceParsers() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    added_.notify_all();
    threads_.clear();
}

void SmsXmlPieceParsers::Add(std::string content) {
    auto piece = std::make_unique<Piece>();
    piece->content = std::move(content);
    if (threads_.empty()) {
        std::unique_lock lock(mutex_);
        SmsXmlBatch spare = SpareBatch();
        lock.unlock();
        bool ok = ParseInto(*piece, std::move(spare));
        lock.lock();
        Finished(*piece, ok);
        pieces_.push_back(std::move(piece));
        ++begun_;
        return;
    }
    {
        std::lock_guard lock(mutex_);
        pieces_.push_back(std::move(piece));
    }
    added_.notify_one();
}

std::string SmsXmlPieceParsers::SpareContent() {
    std::lock_guard lock(mutex_);
    if (spareContents_.empty()) return {};
    std::string content = std::move(spareContents_.back());
    spareContents_.pop_back();
    return content;
}

std::size_t SmsXmlPieceParsers::pending() const {
    std::lock_guard lock(mutex_);
    return pieces_.size();
}

SmsXmlPieceParsers::Take SmsXmlPieceParsers::TakeOldest(SmsXmlBatch& batch, bool wait) {
    std::unique_lock lock(mutex_);
    if (wait)
        parsed_.wait(lock, [this] { return failed_ || pieces_.empty() || pieces_.front()->done; });
    if (failed_) return Take::Failed;
    if (pieces_.empty() || !pieces_.front()->done) return Take::NotYet;
    SmsXmlBatch spent = std::exchange(batch, std::move(pieces_.front()->batch));
    if (spareBatches_.size() < kMostSpares) spareBatches_.push_back(std::move(spent));
    pieces_.pop_front();
    --begun_;
    return Take::Taken;
}

void SmsXmlPieceParsers::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        added_.wait(lock, [this] { return stopping_ || (!failed_ && begun_ < pieces_.size()); });
        if (stopping_) return;
        Piece& piece = *pieces_[begun_++];
        SmsXmlBatch spare = SpareBatch();
        lock.unlock();
        bool ok = ParseInto(piece, std::move(spare));
        lock.lock();
        Finished(piece, ok);
        parsed_.notify_all();
    }
}

// Called with the lock held.
SmsXmlBatch SmsXmlPieceParsers::SpareBatch() {
    if (spareBatches_.empty()) return {};
    SmsXmlBatch batch = std::move(spareBatches_.back());
    spareBatches_.pop_back();
    return batch;
}

// Called with the lock held.
void SmsXmlPieceParsers::Finished(Piece& piece, bool ok) {
    piece.done = true;
    failed_ = failed_ || !ok;
    piece.content.clear();
    if (spareContents_.size() < kMostSpares) spareContents_.push_back(std::move(piece.content));
}

bool SmsXmlPieceParsers::ParseInto(Piece& piece, SmsXmlBatch spare) {
    piece.batch = std::move(spare);
    try {
        return ParseSmsXmlPiece(piece.content, piece.batch);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
