#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/phone/phone_db.h"

namespace {

struct StmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};

// Stores bytes as text and reads them back both ways: the library's own UTF-16 and ours.
class BothDecoders {
  public:
    BothDecoders() {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        db_.reset(db);
        sqlite3_stmt* library = nullptr;
        sqlite3_stmt* ours = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT ?", -1, &library, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT ?", -1, &ours, nullptr), SQLITE_OK);
        library_.reset(library);
        ours_ = std::make_unique<Statement>(ours);
    }

    std::u16string Library(const std::string& bytes) {
        sqlite3_stmt* stmt = library_.get();
        sqlite3_reset(stmt);
        sqlite3_bind_text(stmt, 1, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        auto* units = static_cast<const char16_t*>(sqlite3_column_text16(stmt, 0));
        return {units, static_cast<std::size_t>(sqlite3_column_bytes16(stmt, 0)) / 2};
    }

    std::u16string Ours(const std::string& bytes) {
        ours_->Reset().Bind(1, std::string_view(bytes));
        EXPECT_TRUE(ours_->Step());
        return ours_->Text16(0);
    }

  private:
    std::unique_ptr<sqlite3, SqliteCloser> db_;
    std::unique_ptr<sqlite3_stmt, StmtFinalizer> library_;
    std::unique_ptr<Statement> ours_;
};

TEST(StoredTextTest, DecodesEveryByteSequenceAsTheLibraryDoes) {
    BothDecoders decode;
    const std::vector<std::string> cases = {
        "",
        "plain ASCII",
        "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",  // two-, three- and four-byte forms
        "\xED\xA0\xBD\xED\xB8\x80",                   // surrogates spelled out
        "\xC0\x80 \xE0\x80\x80",                      // overlong forms
        "\xEF\xBF\xBE\xEF\xBF\xBF",                   // the two non-characters
        "\x80\xBF lone continuations",
        "\xF4\x90\x80\x80 \xF7\xBF\xBF\xBF \xFB\xBF\xBF\xBF\xBF",  // past U+10FFFF
        "\xC3",                                                    // cut short
        "\xFE\xFF\xFC\x84\x80\x80\x80\x80",
        "a\xF0\x9F\x98",
        "x\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\xE1\x80\x80\x80\x80\x80\x80\x80\x80",
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(decode.Ours(bytes), decode.Library(bytes)) << "bytes: " << bytes;
    }

    // Random bytes, weighted toward the lead and continuation bytes where decoders differ.
    std::mt19937 random(20261207);
    const std::string alphabet = "a\x80\xBF\xC0\xC3\xDF\xE0\xED\xEF\xF0\xF4\xF5\xF8\xFC\xFE\xFF";
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 12, '\0');
        for (char& byte : bytes) {
            byte = random() % 3 == 0 ? static_cast<char>(random() % 256)
                                     : alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(decode.Ours(bytes), decode.Library(bytes)) << "round " << round;
    }
}

}  // namespace
