#pragma once

// Zip archives for the reader tests, written with minizip's zip API: small
// parts whole, and members of hundreds of megabytes that take a few
// milliseconds and a few hundred kilobytes to write.
#include <zip.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>

#include <QString>

#include <gtest/gtest.h>

namespace exchangetest {

// `method`: Z_DEFLATED, or 0 to store the parts as they are.
inline void addParts(zipFile zip, const std::map<std::string, std::string>& parts, int method = Z_DEFLATED) {
    for (const auto& [name, bytes] : parts) {
        ASSERT_EQ(zipOpenNewFileInZip(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, method,
                                      method ? Z_DEFAULT_COMPRESSION : 0),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, bytes.data(), unsigned(bytes.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
}

inline void writeZip(const QString& path, const std::map<std::string, std::string>& parts, int method = Z_DEFLATED) {
    zipFile zip = zipOpen64(path.toLocal8Bit().constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    addParts(zip, parts, method);
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

// A member made of `head`, `block` `count` times, then `tail`.
struct RepeatedMember {
    std::string name;
    std::string head;
    std::string block;
    uint64_t count = 0;
    std::string tail;

    uint64_t size() const { return head.size() + block.size() * count + tail.size(); }
};

// The parts, then the repeated member, which says it inflates to
// `declaredSize` (0: its true size), then `padding` bytes that do not
// compress, stored. Deflate output flushed to a byte boundary decodes the
// same wherever the 32 KiB before it are the same: a block of at least that
// much is deflated once and its bytes written `count` times.
inline void writeZipWithRepeatedMember(const QString& path, const std::map<std::string, std::string>& parts,
                                       const RepeatedMember& member, uint64_t declaredSize, size_t padding) {
    ASSERT_GE(member.block.size(), size_t(32768));
    ASSERT_GE(member.count, uint64_t(1));
    zipFile zip = zipOpen64(path.toLocal8Bit().constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    addParts(zip, parts);
    ASSERT_EQ(zipOpenNewFileInZip2(zip, member.name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                   Z_BEST_COMPRESSION, 1),
              ZIP_OK);
    z_stream stream{};
    ASSERT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY), Z_OK);
    const auto deflated = [&stream](const std::string& bytes, int flush) {
        std::string out;
        char buffer[1 << 16];
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        stream.avail_in = uInt(bytes.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
        return out;
    };
    const std::string first = deflated(member.head + member.block, Z_SYNC_FLUSH);
    const std::string again = deflated(member.block, Z_SYNC_FLUSH);
    const std::string last = deflated(member.tail, Z_FINISH);
    deflateEnd(&stream);

    const auto crcOf = [](const std::string& bytes) {
        return crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()));
    };
    uLong crc = crcOf(member.head + member.block);
    const uLong blockCrc = crcOf(member.block);
    ASSERT_EQ(zipWriteInFileInZip(zip, first.data(), unsigned(first.size())), ZIP_OK);
    for (uint64_t i = 1; i < member.count; ++i) {
        ASSERT_EQ(zipWriteInFileInZip(zip, again.data(), unsigned(again.size())), ZIP_OK);
        crc = crc32_combine(crc, blockCrc, z_off_t(member.block.size()));
    }
    ASSERT_EQ(zipWriteInFileInZip(zip, last.data(), unsigned(last.size())), ZIP_OK);
    crc = crc32_combine(crc, crcOf(member.tail), z_off_t(member.tail.size()));
    ASSERT_EQ(zipCloseFileInZipRaw64(zip, declaredSize ? declaredSize : member.size(), crc), ZIP_OK);

    if (padding) {
        std::string noise(padding, '\0');
        std::mt19937 random(7);
        for (char& c : noise) c = char(random());
        ASSERT_EQ(zipOpenNewFileInZip(zip, "padding.bin", nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0), ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, noise.data(), unsigned(noise.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

}  // namespace exchangetest
