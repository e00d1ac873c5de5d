#include "platform/text_codec.h"

#include <string>

#include "engine/codepage.h"
#include "engine/text.h"

namespace platform {

QByteArray toCp1250(const QString& text) {
    const std::string bytes = engine::encodeFromUtf8(text.toStdString(), engine::CodePage::Cp1250);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QByteArray toCp1250Lossy(const QString& text) {
    QByteArray out;
    const std::string utf8 = text.toStdString();
    std::string one;
    std::string encoded;
    char32_t bad = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        one.clear();
        engine::appendUtf8(one, engine::nextCodePoint(utf8, pos));
        if (engine::tryEncodeFromUtf8(one, engine::CodePage::Cp1250, encoded, bad))
            out.append(encoded.data(), qsizetype(encoded.size()));
        else
            out.append('?');
    }
    return out;
}

QString fromCp1250(const QByteArray& bytes) {
    return QString::fromStdString(
        engine::decodeToUtf8(std::string_view(bytes.constData(), size_t(bytes.size())), engine::CodePage::Cp1250));
}

}  // namespace platform
