#include "sms/sms_xml_piece_parsers.h"

#include <new>
#include <system_error>

namespace {

constexpr std::string_view kPieceOpen = "<smses>";
constexpr std::string_view kPieceClose = "</smses>";
// Expat copies what it is given into a buffer of its own; small feeds keep that buffer small.
constexpr std::size_t kFeedBytes = 1 << 16;

}  // namespace

bool ParseSmsXmlPiece(std::string_view content, SmsXmlBatch& batch) {
    SmsXmlParser parser;
    bool ok = parser.Feed(kPieceOpen, false);
    for (std::size_t at = 0; ok && at < content.size(); at += kFeedBytes)
        ok = parser.Feed(content.substr(at, kFeedBytes), false);
    ok = ok && parser.Feed(kPieceClose, true);
    if (ok) batch = parser.TakeBatch();
    return ok;
}

SmsXmlPieceParsers::SmsXmlPieceParsers(int threads) {
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
        bool ok = ParseInto(*piece);
        piece->done = true;
        std::lock_guard lock(mutex_);
        failed_ = failed_ || !ok;
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
    batch = std::move(pieces_.front()->batch);
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
        lock.unlock();
        bool ok = ParseInto(piece);
        lock.lock();
        piece.done = true;
        failed_ = failed_ || !ok;
        parsed_.notify_all();
    }
}

bool SmsXmlPieceParsers::ParseInto(Piece& piece) {
    bool ok = false;
    try {
        ok = ParseSmsXmlPiece(piece.content, piece.batch);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    std::string().swap(piece.content);
    return ok;
}
