#include "sms/sms_store_backup.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "sms/message_store_reader.h"
#include "sms/sms_data_file.h"

namespace {

// The folders the reader has finished, for the writer that follows it. Folders finish in the
// order the writer visits them, so a count is all it needs; the lock also hands the writer
// everything the reader built before the count moved.
class FolderGate {
  public:
    void Finish() {
        {
            std::lock_guard lock(mutex_);
            ++finished_;
        }
        changed_.notify_all();
    }
    // No folder will finish any more.
    void Close() {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
    }
    // Waits for the writer's next folder: true once it is finished, false when it never will be.
    bool Next() {
        std::unique_lock lock(mutex_);
        ++wanted_;
        changed_.wait(lock, [this] { return finished_ >= wanted_ || closed_; });
        return finished_ >= wanted_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t finished_ = 0;
    std::size_t wanted_ = 0;
    bool closed_ = false;
};

// The writer thread, let go of on every way out: the gate is closed first, so it never waits for
// a folder that will not come.
class WriterThread {
  public:
    explicit WriterThread(FolderGate& gate) : gate_(gate) {}
    ~WriterThread() { Join(); }
    WriterThread(const WriterThread&) = delete;
    WriterThread& operator=(const WriterThread&) = delete;
    // False when no thread could be had.
    template <typename Work>
    bool Start(Work&& work) {
        try {
            thread_ = std::thread(std::forward<Work>(work));
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }
    void Join() {
        gate_.Close();
        if (thread_.joinable()) thread_.join();
    }

  private:
    FolderGate& gate_;
    std::thread thread_;
};

}  // namespace

SmsStoreBackupResult BackupSmsStoreToDataFile(SmsTree* tree, std::u16string_view path,
                                              ProgressBar* bar) {
    SmsStoreBackupResult result{kSmsReadFailed, kSmsExportFailed};
    if (tree == nullptr) return result;
    try {
        SmsStoreConnection connection;
        if (!OpenSmsStore(connection)) return result;
        auto root = CreateSmsNode(kSmsFolderKind);
        FolderGate gate;
        int written = -2;
        auto write = [&](const std::function<bool()>& folderReady) {
            try {
                written = WriteSmsDataFileAsBuilt(*root, path, folderReady);
            } catch (const std::bad_alloc&) {
                written = -2;
            }
        };
        BeginProgress(bar, kSmsProgressRange);
        int read = -2;
        {
            WriterThread writer(gate);
            bool alongside =
                !path.empty() && writer.Start([&] { write([&] { return gate.Next(); }); });
            read = ReadSmsStoreFolders(connection, *root, bar, [&] { gate.Finish(); });
            writer.Join();
            // Without a second thread the file is written after the read, as the two jobs would.
            if (!alongside && read == 0 && !path.empty()) write([] { return true; });
        }
        EndProgress(bar, kSmsProgressRange);
        if (read != 0) return result;
        ReplaceSmsTree(*tree, std::move(root));
        result.read = kResultSuccess;
        result.written = written == 0 ? kResultSuccess : kSmsExportFailed;
    } catch (const std::bad_alloc&) {
    }
    return result;
}
