#include "platform/phone/message_read_ahead.h"

#include <algorithm>
#include <utility>

#include "platform/phone/phone_db.h"

namespace {

// True while what was read in snapshot still stands: no write or commit since.
bool SameSnapshot(PhoneDb& db, std::uint64_t snapshot) {
    std::uint64_t now = 0;
    return db.InReadSnapshot(now) && now == snapshot;
}

}  // namespace

void MessageReadAhead::Forget() {
    window_.clear();
    next_ = 0;
    following_ = 0;
    span_ = 1;
    openedId_ = 0;
}

RowRead MessageReadAhead::Load(PhoneDb& db, std::int64_t messageId,
                               std::vector<StoredProp>& props) {
    std::uint64_t snapshot = 0;
    if (!db.InReadSnapshot(snapshot)) {
        Forget();
        return LoadMessage(db, messageId, props);
    }
    if (snapshot != snapshot_) {
        Forget();
        snapshot_ = snapshot;
    }
    openedId_ = 0;
    if (next_ >= window_.size() || window_[next_].id != messageId) {
        // Opens in the folder's order widen the pass; any other open starts small again.
        span_ = messageId == following_ ? std::min(span_ * 4, kMaxSpan) : 1;
        if (!Fill(db, messageId)) {
            Forget();
            return RowRead::Failed;
        }
        if (window_.empty()) return RowRead::Missing;
    }
    Ahead& ahead = window_[next_++];
    props = std::move(ahead.props);
    openedId_ = ahead.id;
    openedRecipients_ = std::move(ahead.recipients);
    return RowRead::Found;
}

std::optional<SRowSet> MessageReadAhead::Recipients(PhoneDb& db, std::int64_t messageId) {
    if (openedId_ != 0 && openedId_ == messageId && SameSnapshot(db, snapshot_)) {
        openedId_ = 0;
        return std::move(openedRecipients_);
    }
    return LoadRecipientRows(db, messageId);
}

bool MessageReadAhead::Fill(PhoneDb& db, std::int64_t messageId) {
    window_.clear();
    next_ = 0;
    following_ = 0;
    // The message itself first, then those after it in its folder: its row decides the folder,
    // so a message that does not exist reads nothing. Any row means the message exists.
    auto load = db.Prepare(
        "SELECT m.id, p.tag, p.value, p.stream_only FROM messages AS m "
        "LEFT JOIN message_props AS p ON p.message_id = m.id "
        "WHERE m.folder_id = (SELECT folder_id FROM messages WHERE id = ?1) AND m.id >= ?1 "
        "ORDER BY m.id, p.tag");
    if (load == nullptr) return false;
    load->Bind(1, messageId);
    bool more = false;
    while ((more = load->Step())) {
        std::int64_t id = load->Int(0);
        if (window_.empty() || window_.back().id != id) {
            if (window_.size() == span_) {
                following_ = id;
                break;
            }
            Ahead& ahead = window_.emplace_back();
            ahead.id = id;
            // A message has a handful of properties; room for them at once saves growth steps.
            ahead.props.reserve(8);
        }
        if (load->IsNull(1)) continue;
        auto tag = static_cast<ULONG>(load->Int(1));
        window_.back().props.push_back({ColumnValue(*load, tag, 2), load->Int(3) != 0});
    }
    if (!more && !load->ok()) return false;
    if (window_.empty() || window_.front().id != messageId) {
        window_.clear();
        return true;
    }

    auto recipients = db.Prepare(
        "SELECT message_id, row_no, tag, value FROM recipient_props "
        "WHERE message_id BETWEEN ? AND ? ORDER BY message_id, row_no, seq");
    if (recipients == nullptr) return false;
    recipients->Bind(1, window_.front().id).Bind(2, window_.back().id);
    auto ahead = window_.begin();
    std::int64_t row = 0;
    while (recipients->Step()) {
        std::int64_t id = recipients->Int(0);
        // The range also holds messages of other folders; they are passed over.
        while (ahead != window_.end() && ahead->id < id)
            ++ahead;
        if (ahead == window_.end()) break;
        if (ahead->id != id) continue;
        if (ahead->recipients.empty() || recipients->Int(1) != row) {
            // A recipient row is a name and an address.
            ahead->recipients.emplace_back().lpProps.reserve(2);
            row = recipients->Int(1);
        }
        auto tag = static_cast<ULONG>(recipients->Int(2));
        ahead->recipients.back().lpProps.push_back(ColumnValue(*recipients, tag, 3));
    }
    return recipients->ok();
}
