// What a benchmark of a form needs before the form exists: the start-up
// window over a program folder, with a generated register in its data folder.
#pragma once

#include <iostream>
#include <memory>

#include <QDir>
#include <QString>

#include "app/startup_window.h"
#include "register_data.h"

namespace bench {

inline std::unique_ptr<TForm1> programWithRegister(const QString& appDir, const Register& reg) {
    auto form1 = std::make_unique<TForm1>();
    form1->store().setAppDir(appDir);
    QDir().mkpath(form1->store().DataDir());
    std::cerr << "Writing the register..." << std::endl;
    writeTables(reg, form1->store().DataDir().toStdString());
    return form1;
}

}  // namespace bench
