#pragma once
// A job that reads a folder opens its messages one after another in the folder's order, and each
// open was a query of its own. Once opens follow each other that way, the folder's next messages
// (and their recipients) are read in one pass and handed out as they are opened. What was read
// ahead is trusted only inside the connection's read snapshot in which it was read, so a write
// or a commit in between is never missed.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/phone/message_rows.h"

class MessageReadAhead {
  public:
    // As LoadMessage.
    RowRead Load(PhoneDb& db, std::int64_t messageId, std::vector<StoredProp>& props);
    // As LoadRecipientRows.
    std::optional<SRowSet> Recipients(PhoneDb& db, std::int64_t messageId);

    // The most messages read in one pass.
    static constexpr std::size_t kMaxSpan = 256;

  private:
    struct Ahead {
        std::int64_t id = 0;
        std::vector<StoredProp> props;
        SRowSet recipients;
    };
    bool Fill(PhoneDb& db, std::int64_t messageId);
    void Forget();

    std::vector<Ahead> window_;
    std::size_t next_ = 0;  // the first message of the window not yet opened
    std::uint64_t snapshot_ = 0;
    // The folder's message that follows the window (0: none); an open of it means the folder is
    // being read in order.
    std::int64_t following_ = 0;
    std::size_t span_ = 1;
    // The recipients of the message last opened from the window, until they are asked for
    // (openedId_ 0: none).
    std::int64_t openedId_ = 0;
    SRowSet openedRecipients_;
};
