// A damaged table at start-up: shown to the clerk, never packed nor repaired
// in silence; repaired on "DA" with every whole record and the file kept
// beside it; left as it is on "NU", and the program ends.
#include <functional>

#include <QDate>
#include <QFile>

#include "app/message_dialog.h"
#include "app_fixture.h"
#include "engine/database.h"
#include "engine/decimal.h"
#include "engine/query.h"

namespace {

using platform::DialogKind;

// The five files as the first start creates them.
const QStringList kTables = {"TP.DBF", "TPDET.DBF", "ANEXE1.DBF", "RF.DBF", "Fisiere.dbf"};
constexpr int kSurfaces = 172;
constexpr int kTitles = 40;
// TPDET: a 545-byte header (16 fields), 358-byte records.
constexpr int kSurfaceHeader = 32 + 16 * 32 + 1;
constexpr int kSurfaceRecord = 358;
// TP: a 321-byte header (9 fields), 223-byte records; SUPTOT after the flag,
// IDTP, TPNR, TPCOD, TITULAR, INSAT and DATA.
constexpr int kTitleHeader = 32 + 9 * 32 + 1;
constexpr int kTitleRecord = 223;
constexpr int kSuptot = 1 + 10 + 16 + 9 + 120 + 24 + 8;

void setCount(QByteArray& bytes, int count) {
    for (int i = 0; i < 4; ++i) bytes[4 + i] = char((count >> (8 * i)) & 0xFF);
}

struct Damage {
    const char* what;
    const char* file;
    std::function<void(QByteArray&)> damage;
    QString problem;   // the first message
    QString keeps;     // in the question
    int kept;          // records after the repair
};

const Damage kDamages[] = {
    {"the header counts fewer records than the file holds", "TPDET.DBF", [](QByteArray& b) { setCount(b, 122); },
     "Tabelul TPDET.DBF este deteriorat: antetul numara 122 inregistrari, fisierul are 172 inregistrari intregi.",
     "Raman 172 inregistrari, nu se pierde niciuna.\r\nCopie: ", kSurfaces},
    {"the header counts more records than the file holds", "TPDET.DBF", [](QByteArray& b) { setCount(b, 222); },
     "Tabelul TPDET.DBF este deteriorat: antetul numara 222 inregistrari, fisierul are 172 inregistrari intregi.",
     "Raman 172 inregistrari, nu se pierde niciuna.\r\nCopie: ", kSurfaces},
    {"the file cut in the middle of record 101", "TPDET.DBF",
     [](QByteArray& b) { b.truncate(kSurfaceHeader + 100 * kSurfaceRecord + 179); },
     "Tabelul TPDET.DBF este deteriorat: antetul numara 172 inregistrari, fisierul are 100 inregistrari intregi si o "
     "inregistrare taiata (179 din 358 octeti).",
     "Raman 100 inregistrari, se pierde cea taiata.\r\nCopie: ", 100},
    {"a stray letter in a number field", "TP.DBF",
     [](QByteArray& b) { b.replace(kTitleHeader + 36 * kTitleRecord + kSuptot, 9, "    12a.5"); },
     "Tabelul TP.DBF, inregistrarea 37, campul SUPTOT: \"12a.5\" nu este un numar.",
     "Raman 40 inregistrari, nu se pierde niciuna.\r\n1 valoare ilizibila devine goala.\r\nCopie: ", kTitles},
    {"stray letters in two number fields", "TP.DBF",
     [](QByteArray& b) {
         b.replace(kTitleHeader + 4 * kTitleRecord + kSuptot, 9, "    1,5  ");
         b.replace(kTitleHeader + 36 * kTitleRecord + kSuptot, 9, "    12a.5");
     },
     "Tabelul TP.DBF este deteriorat (2 probleme):\r"
     "Tabelul TP.DBF, inregistrarea 5, campul SUPTOT: \"1,5\" nu este un numar.\r"
     "Tabelul TP.DBF, inregistrarea 37, campul SUPTOT: \"12a.5\" nu este un numar.",
     "Raman 40 inregistrari, nu se pierde niciuna.\r\n2 valori ilizibile devin goale.\r\nCopie: ", kTitles},
};

class StartupDamage : public AppFixture {
protected:
    QString appDir() const { return dir.filePath("app"); }
    QString dataDir() const { return form1->DataDir(); }

    void SetUp() override {
        AppFixture::SetUp();
        // A first start makes the five tables; titles and surfaces go in.
        ASSERT_TRUE(form1->runStartup(appDir()));
        menu->hide();
        append("TPDET.DBF", kSurfaces, [](int i) {
            std::vector<engine::Value> record(16);
            record[0] = number(2 + i / 5);
            record[1] = number(2 + i);
            record[2] = engine::Value::text("EXTRAVILAN");
            record[7] = number(1);
            return record;
        });
        append("TP.DBF", kTitles, [](int i) {
            std::vector<engine::Value> record(9);
            record[0] = number(2 + i);
            record[3] = engine::Value::text("Titular " + std::to_string(i + 1));
            record[6] = number(5);
            return record;
        });
        for (const QString& file : kTables) sound_.push_back(bytesOf(file));
        filesBefore_ = files();
    }

    static engine::Value number(int v) { return engine::Value::number(engine::Decimal::fromInt(v)); }

    void append(const QString& file, int count, const std::function<std::vector<engine::Value>(int)>& record) {
        auto table = engine::Database::global().table(store().tablePath(file).toStdString());
        auto writer = table->beginWrite();
        for (int i = 0; i < count; ++i) writer->append(record(i));
        writer->commit();
    }

    QByteArray bytesOf(const QString& file) const {
        QFile f(store().tablePath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    data::DataStore& store() const { return form1->store(); }
    void write(const QString& file, const QByteArray& bytes) {
        QFile f(store().tablePath(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QStringList files() const { return QDir(dataDir()).entryList(QDir::Files, QDir::Name); }

    // The table damaged, and the bytes of the five tables.
    std::vector<QByteArray> damage(const Damage& d) {
        QByteArray bytes = bytesOf(d.file);
        d.damage(bytes);
        write(d.file, bytes);
        std::vector<QByteArray> all;
        for (const QString& file : kTables) all.push_back(bytesOf(file));
        return all;
    }
    void restore() {
        for (const QString& name : files())
            if (!filesBefore_.contains(name)) QFile::remove(dataDir() + "/" + name);
        for (size_t i = 0; i < sound_.size(); ++i) write(kTables[int(i)], sound_[i]);
    }
    int count(const QString& file) {
        engine::Query q;
        q.add("SELECT * FROM \"" + store().tablePath(file).toStdString() + "\"");
        q.open();
        return q.recordCount();
    }
    std::vector<platform::DialogRequest> messages() const { return script->requestsOf(DialogKind::Message); }

    std::vector<QByteArray> sound_;
    QStringList filesBefore_;
};

TEST_F(StartupDamage, ADamagedTableIsShownAndOnNuNothingChangesAndTheProgramEnds) {
    for (const Damage& d : kDamages) {
        SCOPED_TRACE(d.what);
        script.reset();
        script = std::make_unique<platform::ScriptedAnswers>();
        script->message(mrOk).message(mrNu);
        const std::vector<QByteArray> damaged = damage(d);

        EXPECT_FALSE(form1->runStartup(appDir()));
        EXPECT_TRUE(form1->startupFailed());
        EXPECT_FALSE(menu->isVisible());
        const auto asked = messages();
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_EQ(asked[0].text, d.problem);
        EXPECT_EQ(asked[0].messageKind, int(mkError));
        EXPECT_EQ(asked[1].buttons, int(mbDa + mbNu));
        EXPECT_EQ(asked[1].heading, QString("Reparati %1?").arg(d.file));
        EXPECT_TRUE(asked[1].text.startsWith(d.keeps)) << asked[1].text.toStdString();
        EXPECT_TRUE(asked[1].text.endsWith("\r\nNU opreste programul fara schimbari.")) << asked[1].text.toStdString();
        EXPECT_TRUE(script->requestsOf(DialogKind::ErrorBox).empty());
        // Not packed, not upgraded, no copy: every table as it was.
        for (size_t i = 0; i < damaged.size(); ++i) EXPECT_EQ(bytesOf(kTables[int(i)]), damaged[i]) << i;
        EXPECT_EQ(files(), filesBefore_);
        EXPECT_EQ(script->pending(), 0);
        restore();
    }
}

TEST_F(StartupDamage, OnDaTheTableKeepsEveryWholeRecordAndItsFileStaysBesideIt) {
    for (const Damage& d : kDamages) {
        SCOPED_TRACE(d.what);
        script.reset();
        script = std::make_unique<platform::ScriptedAnswers>();
        script->message(mrOk).message(mrDa);
        damage(d);
        const QByteArray damaged = bytesOf(d.file);

        EXPECT_TRUE(form1->runStartup(appDir()));
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
        const auto asked = messages();
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_EQ(asked[0].text, d.problem);
        const QString copy = QString("%1.deteriorat-%2-1").arg(d.file, QDate::currentDate().toString("yyyyMMdd"));
        EXPECT_TRUE(asked[1].text.startsWith(d.keeps + copy + "\r\n")) << asked[1].text.toStdString();
        EXPECT_TRUE(script->requestsOf(DialogKind::ErrorBox).empty());

        QStringList expected = filesBefore_;
        expected.append(copy);
        expected.sort();
        EXPECT_EQ(files(), expected);
        QFile kept(dataDir() + "/" + copy);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), damaged);
        EXPECT_EQ(count(d.file), d.kept);

        // The next start finds nothing wrong.
        script.reset();
        script = std::make_unique<platform::ScriptedAnswers>();
        EXPECT_TRUE(form1->runStartup(appDir()));
        menu->hide();
        EXPECT_TRUE(script->requests().empty());
        restore();
    }
}

TEST_F(StartupDamage, TheRepairKeepsTheValuesAndEmptiesOnlyWhatCannotBeRead) {
    script->message(mrOk).message(mrDa);
    damage(kDamages[3]);
    EXPECT_TRUE(form1->runStartup(appDir()));
    menu->hide();
    engine::Query q;
    q.add("SELECT IDTP, TITULAR, SUPTOT FROM \"" + store().tablePath("TP.DBF").toStdString() + "\"");
    q.open();
    ASSERT_EQ(q.recordCount(), kTitles);
    for (q.first(); !q.eof(); q.next()) {
        const int id = int(q.field("IDTP").asInteger());
        EXPECT_EQ(q.field("TITULAR").asString(), "Titular " + std::to_string(id - 1));
        if (id == 38)
            EXPECT_TRUE(q.field("SUPTOT").isNull());
        else
            EXPECT_EQ(q.field("SUPTOT").asInteger(), 5) << id;
    }
}

TEST_F(StartupDamage, EveryQuestionComesBeforeTheFirstRepair) {
    // Two damaged tables; "NU" at the second leaves the first as it was too.
    script->message(mrOk).message(mrDa).message(mrOk).message(mrNu);
    damage(kDamages[3]);
    const std::vector<QByteArray> both = damage(kDamages[0]);
    EXPECT_FALSE(form1->runStartup(appDir()));
    ASSERT_EQ(messages().size(), 4u);
    EXPECT_EQ(messages()[0].text, kDamages[3].problem);
    EXPECT_EQ(messages()[2].text, kDamages[0].problem);
    for (size_t i = 0; i < both.size(); ++i) EXPECT_EQ(bytesOf(kTables[int(i)]), both[i]) << i;
    EXPECT_EQ(files(), filesBefore_);
}

TEST_F(StartupDamage, AHeaderThatDoesNotReadStopsTheStartWithTheFileAsItIs) {
    script->message(mrOk);
    QByteArray bytes = bytesOf("RF.DBF");
    bytes[0] = 0;
    write("RF.DBF", bytes);
    EXPECT_FALSE(form1->runStartup(appDir()));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              "Tabelul RF.DBF este deteriorat: antetul nu poate fi citit (nu este un tabel dBase (octetul de versiune "
              "0x00)).\r\nProgramul nu il poate repara si se opreste.");
    EXPECT_EQ(messages()[0].buttons, int(mbOk));
    EXPECT_EQ(bytesOf("RF.DBF"), bytes);
    EXPECT_EQ(files(), filesBefore_);
}

}  // namespace
