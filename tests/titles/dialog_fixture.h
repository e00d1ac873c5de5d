#pragma once

// The dialogs' tests: the titles fixture, and a way to act inside a dialog's
// modal loop.
#include <functional>

#include <QDialog>
#include <QTimer>
#include <QtTest/QTest>

#include "titles_fixture.h"

namespace dialogtest {

// Runs `step` once, inside the modal loop, after the dialog has been shown
// and made the active window.
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

class DialogTest : public titlestest::TitlesFixture {
protected:
    QString table(const QString& file) { return store().tablePath(file); }

    // Runs one statement given by its lines.
    static void runLines(const QStringList& lines) {
        engine::Query q;
        for (const QString& line : lines) q.add(line.toStdString());
        q.execSQL();
    }

    // A title of a given identifier; idanexa is the literal written (NULL, -1 ...).
    void addTitleRow(int idtp, const QString& number, const QString& village, const QString& holder,
                     const QString& idanexa) {
        insert(QStringLiteral("TP.dbf"), {{"IDTP", QString::number(idtp)},
                                          {"TPNR", text(number)},
                                          {"TPCOD", QStringLiteral("0")},
                                          {"TITULAR", text(holder)},
                                          {"INSAT", text(village)},
                                          {"DATA", text(QStringLiteral("01.02.2003"))},
                                          {"SUPTOT", QStringLiteral("1.5")},
                                          {"ANEXA", text(QString())},
                                          {"IDANEXA", idanexa}});
    }
};

}  // namespace dialogtest
