#include "backup/chunk_deflater.h"

#include <libdeflate.h>

#include <new>
#include <stdexcept>

namespace backup {

ChunkDeflater::ChunkDeflater() : compressor_(libdeflate_alloc_compressor(kLevel)), scratch_(1 << 16) {
    if (!compressor_) throw std::bad_alloc();
    if (inflateInit2(&walker_, -MAX_WBITS) != Z_OK) {
        libdeflate_free_compressor(compressor_);
        throw std::bad_alloc();
    }
}

ChunkDeflater::~ChunkDeflater() {
    inflateEnd(&walker_);
    libdeflate_free_compressor(compressor_);
}

std::vector<char> ChunkDeflater::deflate(const char* data, size_t size, bool last) {
    std::vector<char> blocks(libdeflate_deflate_compress_bound(compressor_, size) + 6);
    const size_t written = libdeflate_deflate_compress(compressor_, data, size, blocks.data(), blocks.size());
    if (written == 0) throw std::runtime_error("deflate output larger than its bound");
    blocks.resize(written);
    if (!last) leaveOpen(blocks);
    return blocks;
}

// Walks the blocks block by block (zlib's Z_BLOCK) to find the header of the
// last one, whose first bit marks it final, and the bits left over after it
// in the last byte, where the empty stored block begins. At each block's end
// zlib tells how many of the bits it took in are still unread, and whether
// that block was the last.
void ChunkDeflater::leaveOpen(std::vector<char>& blocks) {
    auto* bytes = reinterpret_cast<unsigned char*>(blocks.data());
    inflateReset(&walker_);
    walker_.next_in = bytes;
    walker_.avail_in = uInt(blocks.size());
    size_t lastHeader = 0;  // bit position
    for (;;) {
        walker_.next_out = scratch_.data();
        walker_.avail_out = uInt(scratch_.size());
        if (inflate(&walker_, Z_BLOCK) != Z_OK) throw std::runtime_error("deflate output does not inflate");
        if (!(walker_.data_type & 128)) continue;
        if (walker_.data_type & 64) break;
        lastHeader = size_t(walker_.next_in - bytes) * 8 - (unsigned(walker_.data_type) & 31);
    }
    const unsigned spare = unsigned(walker_.data_type) & 31;
    if (walker_.avail_in != 0 || spare >= 8) throw std::runtime_error("deflate output goes on after its final block");

    bytes[lastHeader / 8] &= static_cast<unsigned char>(~(1u << (lastHeader % 8)));
    blocks.back() = char(bytes[blocks.size() - 1] & (0xFFu >> spare));
    // The stored block's three header bits go into the spare bits when they fit.
    if (spare < 3) blocks.push_back('\0');
    for (const char c : {'\x00', '\x00', '\xFF', '\xFF'}) blocks.push_back(c);
}

uint32_t adler32Update(uint32_t adler, const char* data, size_t size) { return libdeflate_adler32(adler, data, size); }

}  // namespace backup
