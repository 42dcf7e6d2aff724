#include "report/read/log_reader.h"

#ifndef _WIN32
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#endif

namespace {

#ifndef _WIN32

// Lines taken apart, with the text their views point into (the host, the
// process id, and the message where the parser reads it again). The text
// never grows past the room it was given, so the views stay good.
struct Batch {
    static const size_t kText = 1 << 18;
    static const size_t kItems = 1 << 14;
    Batch() {
        text.reserve(kText);
        items.reserve(kItems);
    }
    bool Full(size_t more) const { return text.size() + more > kText || items.size() == kItems; }
    std::string text;
    struct Item {
        bool fileStarts;  // `name` then holds the file's name, in `text`
        std::string_view name;
        LogEntry entry;
    };
    std::vector<Item> items;
};

// Batches from the reading thread to the following one; at most a few
// wait, so memory stays bounded.
class Queue {
public:
    void Put(std::unique_ptr<Batch> batch) {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [&] { return batches_.size() < kWaiting; });
        batches_.push_back(std::move(batch));
        ready_.notify_one();
    }
    void Close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        ready_.notify_one();
    }
    // Null once it is closed and empty.
    std::unique_ptr<Batch> Take() {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return !batches_.empty() || closed_; });
        if (batches_.empty()) {
            return nullptr;
        }
        std::unique_ptr<Batch> batch = std::move(batches_.front());
        batches_.pop_front();
        room_.notify_one();
        return batch;
    }

private:
    static const size_t kWaiting = 4;
    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<std::unique_ptr<Batch>> batches_;
    bool closed_ = false;
};

// The reading thread's end: each line copied into the batch and taken apart.
class Collector : public LineSink {
public:
    explicit Collector(Queue* queue) : queue_(queue), batch_(new Batch) {}
    void Line(std::string_view line) override {
        Batch::Item item{false, {}, {}};
        LogEntry& entry = item.entry;
        if (!TakeApart(line, &entry)) {
            return;
        }
        // A health line or a run's boundary: the parser reads its message again.
        bool keepMessage =
            entry.parsed.kind == LineKind::Other || entry.parsed.kind == LineKind::RunBoundary;
        size_t more = entry.prefix.host.size() + entry.prefix.pid.size() +
                      (keepMessage ? entry.message.size() : 0);
        if (batch_->Full(more)) {
            Flush();
        }
        entry.prefix.host = Keep(entry.prefix.host);
        entry.prefix.pid = Keep(entry.prefix.pid);
        entry.message = keepMessage ? Keep(entry.message) : std::string_view();
        batch_->items.push_back(item);
    }
    void FileStarts(const std::string& name) {
        if (batch_->Full(name.size())) {
            Flush();
        }
        batch_->items.push_back({true, Keep(name), {}});
    }
    void Flush() {
        if (!batch_->items.empty()) {
            queue_->Put(std::move(batch_));
            batch_.reset(new Batch);
        }
    }

private:
    // Room is made before: the batch has it.
    std::string_view Keep(std::string_view text) {
        size_t at = batch_->text.size();
        batch_->text.append(text.data(), text.size());
        return std::string_view(batch_->text.data() + at, text.size());
    }

    Queue* queue_;
    std::unique_ptr<Batch> batch_;
};

#endif

}  // namespace

bool ReadLog(InputFiles* inputs, LogParser* parser, std::string* problem) {
#ifdef _WIN32
    LineSplitter splitter(parser);
    TextDecoder decoder(&splitter);
    return inputs->Read(
        &decoder, [&](const std::string& name) { parser->StartFile(name); }, problem);
#else
    Queue queue;
    bool read = false;
    std::thread reader([&] {
        Collector collector(&queue);
        LineSplitter splitter(&collector);
        TextDecoder decoder(&splitter);
        read = inputs->Read(
            &decoder, [&](const std::string& name) { collector.FileStarts(name); }, problem);
        collector.Flush();
        queue.Close();
    });
    while (std::unique_ptr<Batch> batch = queue.Take()) {
        for (const Batch::Item& item : batch->items) {
            if (item.fileStarts) {
                parser->StartFile(std::string(item.name));
            } else {
                parser->Apply(item.entry);
            }
        }
    }
    reader.join();
    return read;
#endif
}
