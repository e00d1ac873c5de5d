#pragma once

// Zip archives for the reader tests, written with minizip's zip API.
#include <zip.h>

#include <map>
#include <string>

#include <QString>

#include <gtest/gtest.h>

namespace exchangetest {

inline void addParts(zipFile zip, const std::map<std::string, std::string>& parts) {
    for (const auto& [name, bytes] : parts) {
        ASSERT_EQ(zipOpenNewFileInZip(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                      Z_DEFAULT_COMPRESSION),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, bytes.data(), unsigned(bytes.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
}

inline void writeZip(const QString& path, const std::map<std::string, std::string>& parts) {
    zipFile zip = zipOpen64(path.toLocal8Bit().constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    addParts(zip, parts);
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

}  // namespace exchangetest
