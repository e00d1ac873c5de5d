#include "titles/stored_path.h"

#include <gtest/gtest.h>

namespace {

TEST(StoredPath, SplitsAtTheLastSeparatorOfEitherKind) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Scanari\\2009\\titlu 12.jpg", "C:\\Scanari\\2009\\", "titlu 12.jpg"},
        {"/home/primaria/scanari/titlu.pdf", "/home/primaria/scanari/", "titlu.pdf"},
        {"D:\\mixt/sub\\poza.png", "D:\\mixt/sub\\", "poza.png"},
        {"\\\\server\\share/a.tif", "\\\\server\\share/", "a.tif"},
        {"poza.jpg", "", "poza.jpg"},
        {"/scanari/", "/scanari/", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const titles::StoredPath p = titles::StoredPath::split(QString::fromLatin1(c.path));
        EXPECT_EQ(p.folder, QString::fromLatin1(c.folder)) << c.path;
        EXPECT_EQ(p.name, QString::fromLatin1(c.name)) << c.path;
    }
}

}  // namespace
