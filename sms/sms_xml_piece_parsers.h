#pragma once
// Parses pieces of an Android backup XML's root content, each with a parser of its own, on
// threads beside the caller's, and hands their batches back in the order the pieces came. A piece
// is a run of complete children of the root (see XmlContentScanner); its parser reads it inside a
// root element of its own.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sms/sms_xml_parser.h"

class SmsXmlPieceParsers {
  public:
    // Up to `threads` threads; with none (or none that could start), Add parses at once.
    explicit SmsXmlPieceParsers(int threads);
    // Waits for the pieces being parsed; pieces not yet begun are dropped.
    ~SmsXmlPieceParsers();
    SmsXmlPieceParsers(const SmsXmlPieceParsers&) = delete;
    SmsXmlPieceParsers& operator=(const SmsXmlPieceParsers&) = delete;

    void Add(std::string content);
    // An empty string for the next piece, with the room of one already parsed: reusing the same
    // few buffers spares the system from handing out fresh pages for every piece.
    std::string SpareContent();
    // Pieces added and not yet taken.
    std::size_t pending() const;
    enum class Take { Taken, NotYet, Failed };
    // The batch of the oldest piece not yet taken, in exchange for the spent one the caller
    // held. Failed once any piece failed, whichever.
    Take TakeOldest(SmsXmlBatch& batch, bool wait);

  private:
    struct Piece {
        std::string content;
        SmsXmlBatch batch;
        bool done = false;
    };

    void Work();
    bool ParseInto(Piece& piece, SmsXmlBatch spare);
    SmsXmlBatch SpareBatch();
    void Finished(Piece& piece, bool ok);

    mutable std::mutex mutex_;
    std::condition_variable added_;
    std::condition_variable parsed_;
    // Oldest first; unique_ptr keeps a piece in place while a thread parses it unlocked.
    std::deque<std::unique_ptr<Piece>> pieces_;
    std::size_t begun_ = 0;  // pieces_[0, begun_) are being parsed or done
    std::vector<std::string> spareContents_;
    std::vector<SmsXmlBatch> spareBatches_;
    bool failed_ = false;
    bool stopping_ = false;
    // Last, so the threads are joined before anything they use goes.
    std::vector<std::jthread> threads_;
};

// Parses a piece of root content as a parser of the whole document would: false when it is not
// well-formed content. batch comes in empty (its room is reused) and holds the piece's messages.
bool ParseSmsXmlPiece(std::string_view content, SmsXmlBatch& batch);
