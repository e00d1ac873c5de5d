#pragma once

#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace backup {

// Threads that deflate pieces of files (ChunkDeflater), each piece's result
// handed back through its future.
class DeflatePool {
public:
    explicit DeflatePool(int threads);
    // Pieces not begun are dropped; the threads end.
    ~DeflatePool();
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    std::future<std::vector<char>> deflate(std::shared_ptr<const std::vector<char>> piece, bool last);

private:
    struct Job {
        std::shared_ptr<const std::vector<char>> piece;
        bool last = false;
        std::promise<std::vector<char>> result;
    };
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace backup
