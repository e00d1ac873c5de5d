// One application object for the whole test program, the program's own, so
// that errors reaching event handlers end in the error box as in the program.
#include <gtest/gtest.h>

#include "app/application.h"

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = new TerralogApplication(argc_, argv_); }
    void TearDown() override { delete app_; }

private:
    int argc_ = 1;
    char name_[9] = "test_app";
    char* argv_[2] = {name_, nullptr};
    TerralogApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
