// The widgets need one QApplication for the whole run. gtest_main owns main(),
// so a global environment creates it before the first test.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = new QApplication(argc_, argv_); }
    void TearDown() override { delete app_; }

private:
    int argc_ = 1;
    char name_[8] = "test_ui";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
