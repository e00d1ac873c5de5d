#pragma once

// One QApplication for a whole test program, created before the first test.
// Include from exactly one source file of a test program.
#include <QApplication>

#include <gtest/gtest.h>

namespace testsupport {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "terralog-tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = new QApplication(argc, argv);
    }

private:
    QApplication* app_ = nullptr;
};

inline ::testing::Environment* const qtApplicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace testsupport
