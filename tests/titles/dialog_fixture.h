#pragma once

// A fresh data folder with the five empty tables behind the start-up window,
// the scripted seam for messages and balloons, and a way to act inside a
// dialog's modal loop.
#include <functional>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "app/startup_window.h"
#include "engine/query.h"
#include "platform/interaction.h"
#include "platform/qt_application.h"

namespace dialogtest {

// Runs `step` once, inside the modal loop, after the dialog has been shown.
inline void whenShown(QDialog& dialog, std::function<void()> step) {
    class Watcher : public QObject {
    public:
        Watcher(QDialog& d, std::function<void()> s) : QObject(&d), step_(std::move(s)) { d.installEventFilter(this); }
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show) {
                watched->removeEventFilter(this);
                QTimer::singleShot(0, watched, [this, watched] {
                    auto step = std::move(step_);
                    deleteLater();
                    auto* window = static_cast<QWidget*>(watched);
                    window->activateWindow();
                    (void)QTest::qWaitForWindowActive(window);
                    step();
                });
            }
            return false;
        }

    private:
        std::function<void()> step_;
    };
    new Watcher(dialog, std::move(step));
}

// The start-up window every dialog reads the data folder from; one per run.
inline TForm1& startupWindow() {
    static TForm1* form = TForm1::exists() ? &TForm1::instance() : new TForm1;
    return *form;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QDir(dir_.path()).mkpath(QStringLiteral("Data"));
        startupWindow().store().setAppDir(dir_.path());
        startupWindow().store().CreateTables();
    }

    QString table(const QString& file) const { return startupWindow().store().tablePath(file); }

    // Runs one statement given by its lines.
    static void run(const QStringList& lines) {
        engine::Query q;
        for (const QString& line : lines) q.add(line.toStdString());
        q.execSQL();
    }

    void addTitle(int idtp, const QString& number, const QString& village, const QString& holder,
                  const QString& idanexa) {
        run({QStringLiteral("INSERT INTO \"%1\" (IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT, ANEXA, IDANEXA)")
                 .arg(table(QStringLiteral("TP.dbf"))),
             QStringLiteral("VALUES (%1,\"%2\",0,\"%3\",\"%4\",\"01.02.2003\",1.5,\"\",%5)")
                 .arg(idtp)
                 .arg(number, holder, village, idanexa)});
    }

    // The balloons shown so far: "target: text".
    QStringList balloons() const {
        QStringList shown;
        for (const platform::DialogRequest& r : script.requestsOf(platform::DialogKind::Balloon))
            shown << r.target + QStringLiteral(": ") + r.text;
        return shown;
    }

    platform::ScriptedAnswers script;

private:
    QTemporaryDir dir_;
};

}  // namespace dialogtest
