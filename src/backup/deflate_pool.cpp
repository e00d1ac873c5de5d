#include "backup/deflate_pool.h"

#include "backup/chunk_deflater.h"

namespace backup {

DeflatePool::DeflatePool(int threads) {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
}

DeflatePool::~DeflatePool() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

std::future<std::vector<char>> DeflatePool::deflate(std::shared_ptr<const std::vector<char>> piece, bool last) {
    Job job;
    job.piece = std::move(piece);
    job.last = last;
    std::future<std::vector<char>> result = job.result.get_future();
    {
        std::lock_guard<std::mutex> guard(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
    return result;
}

void DeflatePool::run() {
    std::unique_ptr<ChunkDeflater> deflater;
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            if (!deflater) deflater = std::make_unique<ChunkDeflater>();
            job.result.set_value(deflater->deflate(job.piece->data(), job.piece->size(), job.last));
        } catch (...) {
            job.result.set_exception(std::current_exception());
        }
    }
}

}  // namespace backup
