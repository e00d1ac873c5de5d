#pragma once

#include <memory>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/main_menu.h"
#include "app/startup_window.h"
#include "platform/interaction.h"
#include "platform/machine_store.h"

// A start-up window over a program folder in a temporary directory, the
// machine-wide store in that directory too, a fresh main menu, and a script
// installed for the modal windows.
class AppFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm3> menu;
    std::unique_ptr<platform::ScriptedAnswers> script = std::make_unique<platform::ScriptedAnswers>();

    void SetUp() override {
        platform::MachineStore::instance().useFolders(dir.filePath("etc"), dir.filePath("home"));
        form1 = std::make_unique<TForm1>();
        form1->store().setAppDir(dir.filePath("app"));
        ASSERT_TRUE(QDir().mkpath(form1->DataDir()));
        menu = std::make_unique<TForm3>();
    }

    void TearDown() override {
        EXPECT_TRUE(script->problems().isEmpty()) << script->problems().join("\n").toStdString();
        EXPECT_EQ(script->pending(), 0);
        script.reset();
        menu.reset();
        form1.reset();
        platform::MachineStore::instance().useDefaultLocations();
    }

    data::DataStore& store() { return form1->store(); }
    const platform::DialogRequest& lastRequest() const { return script->requests().back(); }
};
