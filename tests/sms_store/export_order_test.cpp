#include "sms/export_order.h"

#include <algorithm>
#include <optional>

#include "sms/sms_operations.h"
#include "sms_store_fixture.h"

namespace {

class ExportOrderTest : public SmsStoreTest {
  protected:
    void Store(const char16_t* name, std::uint32_t value) {
        std::string error;
        ASSERT_TRUE(SetRegistryDword(*Db(), kVelloroRegistryKey, name, value, error)) << error;
    }
    void Remove(const char16_t* name) {
        std::string error;
        ASSERT_TRUE(DeleteRegistryEntry(*Db(), kVelloroRegistryKey, std::u16string(name), error))
            << error;
    }
};

TEST_F(ExportOrderTest, ReadWritesOnlyWhatItCouldRead) {
    std::uint32_t sortBy = 1, sequence = 1;
    EXPECT_EQ(ReadExportOrder(sortBy, sequence), -1);  // no key yet

    ASSERT_EQ(WriteExportOrder(2, 2), 0);
    EXPECT_EQ(ReadExportOrder(sortBy, sequence), 0);
    EXPECT_EQ(sortBy, 2u);
    EXPECT_EQ(sequence, 2u);

    Store(kSortValueName, 5);
    Remove(kSequenceValueName);
    sortBy = sequence = 1;
    EXPECT_EQ(ReadExportOrder(sortBy, sequence), -3);
    EXPECT_EQ(sortBy, 5u);
    EXPECT_EQ(sequence, 1u);

    Store(kSequenceValueName, 2);
    Remove(kSortValueName);
    sortBy = sequence = 1;
    EXPECT_EQ(ReadExportOrder(sortBy, sequence), -2);  // "Sequence" is not even looked at
    EXPECT_EQ(sortBy, 1u);
    EXPECT_EQ(sequence, 1u);
}

TEST_F(ExportOrderTest, RegistryFailuresAreReportedAndChangeNothing) {
    ASSERT_EQ(WriteExportOrder(2, 1), 0);
    SetFault("registry.write", 2);  // "Sequence"
    EXPECT_EQ(WriteExportOrder(1, 2), -3);
    SetFault("registry.write", 1);
    EXPECT_EQ(WriteExportOrder(1, 2), -2);
    ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    std::uint32_t sortBy = 0, sequence = 0;
    ASSERT_EQ(ReadExportOrder(sortBy, sequence), 0);
    EXPECT_EQ(sortBy, 1u);  // the first value of the failed write stays: each set is its own
    EXPECT_EQ(sequence, 1u);

    // The values commit at the flush; a commit refused there lost at least the last one.
    SetFault("phone.commit");
    EXPECT_EQ(WriteExportOrder(2, 2), -4);
    ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    ASSERT_EQ(ReadExportOrder(sortBy, sequence), 0);
    EXPECT_EQ(sequence, 1u);

    SetFault("registry.open");
    EXPECT_EQ(WriteExportOrder(2, 2), -1);
    sortBy = sequence = 7;
    EXPECT_EQ(ReadExportOrder(sortBy, sequence), -1);
    EXPECT_EQ(sortBy, 7u);
    ExportOrder order = CurrentExportOrder();
    EXPECT_EQ(order.sortBy, 1u);
    EXPECT_EQ(order.sequence, 1u);
}

// The text and CSV exports read the order at every run, whatever is stored.
TEST_F(ExportOrderTest, ExportsFollowTheStoredOrderAtEveryRun) {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*tree.root, u"Inbox");
    ReserveSmsChildren(*tree.root, 3);
    const struct {
        const char16_t* name;
        std::uint64_t time;
    } messages[] = {{u"Bob", 300}, {u"Zed", 100}, {u"anna", 200}};
    for (const auto& m : messages) {
        auto node = CreateSmsNode(kSmsMessageKind);
        auto data = std::make_unique<SmsMessageData>();
        data->text = m.name;
        data->senderName = m.name;
        data->senderAddress = u"+1";
        data->deliveryTime = FileTimeFromUint64(m.time * 10'000'000'000ull);
        AttachSmsMessage(*node, std::move(data));
        AppendSmsChild(*tree.root, std::move(node));
    }
    auto order = [&](bool csv) {
        std::u16string path = dir_.U16Path(csv ? "out.csv" : "out.txt");
        EXPECT_EQ(csv ? ExportSmsCsv(&tree, path, nullptr) : ExportSmsText(&tree, path, nullptr),
                  0);
        std::string text = ReadBytes(dir_ / (csv ? "out.csv" : "out.txt"));
        // Names in the order they appear in the file.
        std::vector<std::pair<std::size_t, std::string>> at;
        for (const char* name : {"Bob", "Zed", "anna"}) {
            std::size_t pos = csv ? text.find(std::string("[") + name + "]")
                                  : text.find(std::string("Content:\n") + name + "\n");
            EXPECT_NE(pos, std::string::npos) << name;
            at.emplace_back(pos, name);
        }
        std::sort(at.begin(), at.end());
        std::string names;
        for (const auto& [pos, name] : at)
            names += name + " ";
        return names;
    };
    struct Case {
        std::optional<std::uint32_t> sortBy, sequence;
        const char* expected;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, "Zed anna Bob "},  // no key: by time, ascending
        {2, 2, "anna Zed Bob "},                        // by name, descending
        {1, 2, "Bob anna Zed "},
        {1, 0, "Bob anna Zed "},  // no reordering: as the last run left them
        {5, 1, "Bob Zed anna "},  // anything but 1 sorts by name
    };
    for (const Case& c : cases) {
        if (c.sortBy) Store(kSortValueName, *c.sortBy);
        if (c.sequence) Store(kSequenceValueName, *c.sequence);
        for (bool csv : {false, true})
            EXPECT_EQ(order(csv), c.expected) << (csv ? "csv " : "txt ") << c.expected;
    }
}

}  // namespace
